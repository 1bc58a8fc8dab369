#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

/// A plain pair of values: width first, then height.
template <class T>
struct tSize {
  T width;
  T height;

  friend bool operator==(const tSize& a, const tSize& b) = default;
};

/// The growable array behind every list of the engine.
///
/// Layout: element storage, count, capacity. Storage comes from the C
/// runtime's realloc and is released with free, so an array filled by one
/// library may be released by another. Elements are moved by byte copies
/// when the storage is reallocated or when elements are removed, so T must
/// be relocatable that way (every type the engine keeps in a tArray is).
///
/// Growth: appending to a full array first sets the capacity to
/// n + n/8 + 5 with n = count + 1. Removal keeps order and capacity;
/// Clear keeps the storage. Element access does no bounds test.
template <class T>
class tArray {
 public:
  tArray() = default;
  /// A copy whose storage holds exactly the source's count.
  tArray(const tArray& other) { CopyFrom(other); }
  tArray(tArray&& other) noexcept
      : m_Data(std::exchange(other.m_Data, nullptr)),
        m_Count(std::exchange(other.m_Count, 0)),
        m_Capacity(std::exchange(other.m_Capacity, 0)) {}
  ~tArray() { Free(); }

  /// Grows the storage to exactly the source's count when it is smaller;
  /// otherwise the storage is kept.
  tArray& operator=(const tArray& other) {
    if (this != &other) {
      Clear();
      CopyFrom(other);
    }
    return *this;
  }
  tArray& operator=(tArray&& other) noexcept {
    if (this != &other) {
      Free();
      m_Data = std::exchange(other.m_Data, nullptr);
      m_Count = std::exchange(other.m_Count, 0);
      m_Capacity = std::exchange(other.m_Capacity, 0);
    }
    return *this;
  }

  int32_t GetCount() const { return m_Count; }
  int32_t GetCapacity() const { return m_Capacity; }
  bool IsEmpty() const { return m_Count == 0; }
  T* GetData() { return m_Data; }
  const T* GetData() const { return m_Data; }

  T& operator[](int32_t i) { return m_Data[i]; }
  const T& operator[](int32_t i) const { return m_Data[i]; }

  T* begin() { return m_Data; }
  T* end() { return m_Data + m_Count; }
  const T* begin() const { return m_Data; }
  const T* end() const { return m_Data + m_Count; }

  /// Appends a copy of the element; returns its index.
  int32_t Add(const T& element) {
    if (m_Count == m_Capacity) {
      const int32_t n = m_Count + 1;
      // The element may live in this array: copy it before the storage moves.
      T copy(element);
      SetCapacity(n + n / 8 + 5);
      new (m_Data + m_Count) T(std::move(copy));
    } else {
      new (m_Data + m_Count) T(element);
    }
    return m_Count++;
  }

  /// Pointer lists: appends p unless it is null or already present; returns
  /// whether it was added.
  bool AddUnique(T p) requires std::is_pointer_v<T> {
    if (p == nullptr || IndexOf(p) >= 0) return false;
    Add(p);
    return true;
  }

  /// Pointer lists: removes p, keeping the order of the others; null and
  /// absent entries are ignored. Returns whether p was removed.
  bool Delete(T p) requires std::is_pointer_v<T> {
    const int32_t i = p == nullptr ? -1 : IndexOf(p);
    if (i < 0) return false;
    RemoveAt(i);
    return true;
  }

  /// Index of the first element equal to the value, or -1.
  int32_t IndexOf(const T& value) const {
    for (int32_t i = 0; i < m_Count; ++i)
      if (m_Data[i] == value) return i;
    return -1;
  }
  bool Contains(const T& value) const { return IndexOf(value) >= 0; }

  /// Removes element i; the later elements move down one place.
  void RemoveAt(int32_t i) {
    m_Data[i].~T();
    std::memmove(static_cast<void*>(m_Data + i), static_cast<const void*>(m_Data + i + 1),
                 sizeof(T) * static_cast<size_t>(m_Count - i - 1));
    --m_Count;
  }

  /// Destroys the elements; the storage stays allocated.
  void Clear() {
    for (int32_t i = 0; i < m_Count; ++i) m_Data[i].~T();
    m_Count = 0;
  }

  /// Sets the storage to exactly n elements, destroying the elements beyond
  /// n first. Throws std::bad_alloc when growing fails (the array is then
  /// unchanged).
  void SetCapacity(int32_t n) {
    if (n < 0) n = 0;
    for (int32_t i = n; i < m_Count; ++i) m_Data[i].~T();
    if (m_Count > n) m_Count = n;
    if (n == 0) {
      Free();
      return;
    }
    void* data = std::realloc(static_cast<void*>(m_Data), sizeof(T) * static_cast<size_t>(n));
    if (data == nullptr) {
      if (n < m_Capacity) return;  // a failed shrink keeps the larger block
      throw std::bad_alloc();
    }
    m_Data = static_cast<T*>(data);
    m_Capacity = n;
  }

  /// Plain element types: sets the count, growing the storage to exactly n
  /// when it is smaller; new elements are zero.
  void SetCount(int32_t n) requires std::is_trivially_copyable_v<T> {
    if (n < 0) n = 0;
    if (n > m_Capacity) SetCapacity(n);
    if (n > m_Count)
      std::memset(static_cast<void*>(m_Data + m_Count), 0,
                  sizeof(T) * static_cast<size_t>(n - m_Count));
    m_Count = n;
  }

  /// Destroys the elements and releases the storage.
  void Free() {
    Clear();
    std::free(static_cast<void*>(m_Data));
    m_Data = nullptr;
    m_Capacity = 0;
  }

 private:
  void CopyFrom(const tArray& other) {
    if (m_Capacity < other.m_Count) SetCapacity(other.m_Count);
    if constexpr (std::is_trivially_copyable_v<T>) {
      if (other.m_Count > 0)
        std::memcpy(static_cast<void*>(m_Data), static_cast<const void*>(other.m_Data),
                    sizeof(T) * static_cast<size_t>(other.m_Count));
    } else {
      for (int32_t i = 0; i < other.m_Count; ++i) new (m_Data + i) T(other.m_Data[i]);
    }
    m_Count = other.m_Count;
  }

  T* m_Data = nullptr;
  int32_t m_Count = 0;
  int32_t m_Capacity = 0;
};
