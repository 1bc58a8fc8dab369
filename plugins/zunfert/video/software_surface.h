#pragma once

#include <cstdint>
#include <vector>

#include <tolmak.h>

namespace zunfert {

/// A surface in system memory, used by both software devices for their
/// display surfaces, their off-screen surfaces and the 3D device's textures.
///
/// The pixels are always present: m_Data points at the first one from
/// construction on, so Lock only sets the flag. Rows are GetPitch() bytes
/// apart (the row's bytes rounded up to a multiple of 4). Blits take any
/// cSurface as source, locking it for the copy when it is not locked.
class cSoftwareSurface : public cSurface {
 public:
  /// "cSoftwareSurface".
  static const cString& TypeName();

  /// size pixels of format, every byte zero; a negative side counts as 0.
  cSoftwareSurface(const tSize<int>& size, const cPixelFormat& format);
  ~cSoftwareSurface() override;

  /// New pixels of that size and format, every byte zero.
  void Allocate(const tSize<int>& size, const cPixelFormat& format);
  uint8_t* GetRow(int y) { return m_Pixels.data() + static_cast<size_t>(y) * m_Pitch; }
  const uint8_t* GetRow(int y) const { return m_Pixels.data() + static_cast<size_t>(y) * m_Pitch; }
  /// Bytes the pixels take.
  size_t GetByteSize() const { return m_Pixels.size(); }
  /// Counts the changes made through the surface's operations and Unlock,
  /// so that what is derived from the pixels (mipmaps) knows it is stale.
  uint32_t GetVersion() const { return m_Version; }
  /// For writers through GetRow, such as the 3D device drawing into it.
  void MarkChanged() { ++m_Version; }

  /// Work on the pixels that other threads may still be doing through
  /// GetRow, such as the 3D device's draws into the surface or from it.
  class iPendingWork {
   public:
    /// Returns once the work is done.
    virtual void Complete() = 0;

   protected:
    ~iPendingWork() = default;
  };
  /// Every operation below that touches the pixels, Lock among them, first
  /// completes work, so that what it reads or writes is never in between;
  /// null for none.
  void SetPendingWork(iPendingWork* work) { m_Work = work; }

  const cString& GetTypeName() const override { return TypeName(); }
  bool IsLost() const override { return false; }
  bool Restore() override { return true; }
  bool Clear(uint32_t pixel) override;
  /// Clipped to the surface.
  bool FillRect(int x, int y, int width, int height, uint32_t pixel) override;
  /// FillRect without counting a change, so that threads may fill separate
  /// rows at once; whoever shares the work out calls MarkChanged.
  void FillRows(int x, int y, int width, int height, uint32_t pixel);
  bool Blit(int x, int y, cSurface* source) override;
  bool BlitRect(int x, int y, cSurface* source, int sourceX, int sourceY, int width,
                int height) override;
  /// Nearest-pixel scaling; the colour key applies as for Blit.
  bool StretchBlit(int x, int y, int width, int height, cSurface* source) override;
  /// Takes the sprite frame's size and pixels, converted to this surface's
  /// format; an enabled sprite key becomes this surface's key. False for a
  /// frame the sprite does not have (the surface is then unchanged).
  bool CopyFromSprite(cSprite* sprite, int frame) override;
  /// Exchanges the pixels with the attached surface, which must be a
  /// cSoftwareSurface of the same size and format (else false).
  bool Flip() override;
  bool LockSurface() override;
  bool UnlockSurface() override;

 private:
  /// The rectangle clipped to both surfaces, then copied row by row.
  bool CopyRect(int x, int y, cSurface* source, int sourceX, int sourceY, int width, int height);
  void CopyKeyedRow(const uint8_t* source, const cSurface& from, uint8_t* target, int count);
  void CompleteWork() {
    if (m_Work) m_Work->Complete();
  }

  std::vector<uint8_t> m_Pixels;
  iPendingWork* m_Work = nullptr;
  uint32_t m_Version = 0;
};

}  // namespace zunfert
