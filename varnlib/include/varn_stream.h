#pragma once

#include <cstdint>

#include "varn_array.h"
#include "varn_export.h"
#include "varn_string.h"
#include "varn_url.h"

/// A source of bytes. The typed readers decode little-endian values and
/// return false when the stream ended before the value was complete.
class VARN_API iInStream {
 public:
  virtual ~iInStream();

  /// Reads up to size bytes; returns the number read (fewer only at the end
  /// of the stream or on an error).
  virtual uint32_t Read(void* buffer, uint32_t size) = 0;
  /// Bytes left to read, or -1 when the stream cannot tell.
  virtual int64_t GetRemaining() const = 0;

  bool ReadUInt8(uint8_t& value);
  bool ReadUInt16(uint16_t& value);
  bool ReadUInt32(uint32_t& value);
  bool ReadInt32(int32_t& value);
  bool ReadFloat(float& value);
  /// Reads a text: a signed 32-bit length, then that many bytes. Fails,
  /// leaving the string unchanged, on a negative length or one longer than
  /// the rest of the stream.
  bool ReadText(cString& text);
  /// True when exactly size bytes were read.
  bool ReadExact(void* buffer, uint32_t size) { return Read(buffer, size) == size; }
};

/// A sink of bytes. The typed writers encode little-endian values and return
/// false when not every byte could be written.
class VARN_API iOutStream {
 public:
  virtual ~iOutStream();

  /// Writes size bytes; returns the number written (fewer only on an error).
  virtual uint32_t Write(const void* buffer, uint32_t size) = 0;

  bool WriteUInt8(uint8_t value);
  bool WriteUInt16(uint16_t value);
  bool WriteUInt32(uint32_t value);
  bool WriteInt32(int32_t value);
  bool WriteFloat(float value);
  /// Writes a text: its length as a signed 32-bit value, then its bytes
  /// without a terminator.
  bool WriteText(const cString& text);
};

/// A stream that can be read and written, with the URL it was opened at.
class VARN_API iIOStream : public iInStream, public iOutStream {
 public:
  virtual const cUrl& GetUrl() const = 0;
  /// Ends the caller's use of the stream. A stream opened for writing
  /// commits what was written (a file replaces its old contents in one step)
  /// and reports whether everything reached its place. A stream opened by
  /// the stream manager is destroyed: the pointer is invalid afterwards.
  virtual bool Close() = 0;
  /// Ends the caller's use of the stream without committing what was
  /// written (the old contents stay). A managed stream is destroyed.
  virtual void Abandon() = 0;
};

/// A stream over bytes in memory: written at the position, read from it.
class VARN_API cMemoryStream : public iIOStream {
 public:
  explicit cMemoryStream(const cUrl& url = cUrl(cString("mem://")));
  /// A stream positioned at the start of a copy of the bytes.
  cMemoryStream(const void* data, uint32_t size, const cUrl& url = cUrl(cString("mem://")));
  cMemoryStream(const cMemoryStream&) = delete;
  cMemoryStream& operator=(const cMemoryStream&) = delete;
  ~cMemoryStream() override;

  uint32_t Read(void* buffer, uint32_t size) override;
  int64_t GetRemaining() const override;
  uint32_t Write(const void* buffer, uint32_t size) override;
  const cUrl& GetUrl() const override { return m_Url; }
  bool Close() override { return true; }
  void Abandon() override {}

  const uint8_t* GetData() const { return m_Data; }
  uint32_t GetSize() const { return m_Size; }
  uint32_t GetPosition() const { return m_Position; }
  /// Moves the position, at most to the end.
  void Seek(uint32_t position);

 private:
  cUrl m_Url;
  uint8_t* m_Data = nullptr;  // grows geometrically, unlike tArray, for bulk writes
  uint32_t m_Size = 0;
  uint32_t m_Capacity = 0;
  uint32_t m_Position = 0;
};

namespace varn::detail {
class cManagedStream;
}

/// Opens streams by URL, over files and over memory files that live as
/// long as the manager. One manager exists at a time (New, GetInstance,
/// Delete).
class VARN_API cStreamManager {
 public:
  enum EOpenMode : int32_t {
    /// Create or replace; the old contents stay until the stream is closed.
    OpenWrite = 1,
    /// Read from the start.
    OpenRead = 2,
  };

  /// Creates the manager if there is none; returns it.
  static cStreamManager* New();
  /// The manager, or null before New and after Delete.
  static cStreamManager* GetInstance();
  /// Closes the streams still open and destroys the manager and its memory files.
  static void Delete();

  /// A stream at the URL, or null when it cannot be opened (missing file,
  /// a directory, no permission, unknown mode). Close it when done.
  iIOStream* Open(const cUrl& url, int32_t mode);

  /// Memory files: created or replaced by a stream opened for writing at a
  /// "mem://" URL, or directly here.
  void SetMemoryFile(const cUrl& url, const void* data, uint32_t size);
  /// Copies the file's bytes into out; false when there is no such file.
  bool GetMemoryFile(const cUrl& url, tArray<uint8_t>& out) const;
  bool DeleteMemoryFile(const cUrl& url);

  /// Makes the writes of several streams one: until the matching EndGroup,
  /// a stream that writes and is closed keeps what it wrote aside (Close
  /// still tells whether all of it was written). Groups nest; the outermost
  /// EndGroup puts everything in place, in the order the streams were
  /// closed, when commit is true and every stream of the group was written
  /// in full, and otherwise drops it all, leaving the old contents.
  void BeginGroup();
  /// True when the group was (or, nested, can still be) committed.
  bool EndGroup(bool commit);

  cStreamManager(const cStreamManager&) = delete;
  cStreamManager& operator=(const cStreamManager&) = delete;

 private:
  friend class varn::detail::cManagedStream;
  struct cImpl;

  cStreamManager();
  ~cStreamManager();
  /// Takes a closed stream off the open list and destroys it.
  void Release(iIOStream* stream);
  /// Keeps a closed stream (null: none) for the end of the group, which
  /// fails unless it was prepared; false outside a group.
  bool Defer(varn::detail::cManagedStream* stream, bool prepared);

  cImpl* m_Impl;
};
