// The memory sprite's stream: the engine's sprite record, then the pixels.

#include <algorithm>
#include <new>

#include "sprite_pixels.h"
#include "zunfert_sprite.h"

namespace zunfert::detail {
namespace {

[[noreturn]] void Fail(const cString& message) {
  throw cException(__FILE__, __LINE__, message);
}

/// Reads size bytes a piece at a time, so that a stream that claims more
/// than it holds costs no more memory than what really arrives.
bool ReadPixels(iInStream& stream, size_t size, std::vector<uint8_t>& pixels) {
  constexpr size_t kPiece = size_t{1} << 20;
  const int64_t remaining = stream.GetRemaining();
  if (remaining >= 0 && static_cast<uint64_t>(remaining) < size) return false;
  for (size_t done = 0; done < size;) {
    const size_t piece = std::min(kPiece, size - done);
    pixels.resize(done + piece);
    if (!stream.ReadExact(pixels.data() + done, static_cast<uint32_t>(piece))) return false;
    done += piece;
  }
  return true;
}

}  // namespace
}  // namespace zunfert::detail

void cMemorySprite::Save(iIOStream& stream) {
  cSprite::Save(stream);
  for (size_t done = 0; done < m_Pixels.size();) {
    const auto piece = static_cast<uint32_t>(std::min<size_t>(m_Pixels.size() - done, 1u << 30));
    if (stream.Write(m_Pixels.data() + done, piece) != piece)
      zunfert::detail::Fail("Could not write the sprite's pixels");
    done += piece;
  }
}

void cMemorySprite::Load(iIOStream& stream) {
  using namespace zunfert::detail;
  cMemorySprite record;
  record.cSprite::Load(stream);
  const tSize<int> size = record.GetSize();
  // An empty sprite may keep any size it could be given; one with frames
  // needs a size and format its pixels can fill.
  const bool empty = record.GetFrames() == 0 && size.width >= 0 && size.height >= 0;
  cFrameLayout layout;
  if (!empty && !GetFrameLayout(size, record.GetPixelFormat(), record.GetFrames(), layout))
    Fail(cString::StringF("Sprite stream holds %d frames of %d x %d in %s: beyond the limits",
                          record.GetFrames(), size.width, size.height,
                          record.GetPixelFormat().GetShortName().c_str()));
  std::vector<uint8_t> pixels;
  try {
    if (!ReadPixels(stream, layout.totalBytes, pixels))
      Fail("Sprite stream ends inside its pixels");
  } catch (const std::bad_alloc&) {
    Fail("Out of memory");
  }
  // What the engine's Load keeps: the colour key's enabled flag.
  m_ColorKey = record.GetColorKey();
  if (record.IsPalettized()) m_Palette = record.GetPalette();
  Adopt(size, record.GetPixelFormat(), record.GetFrames(), std::move(pixels));
}
