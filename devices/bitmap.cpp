#include "tolmak_bitmap.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cBitmap, "cBitmap", "cBitmap", &cObject::m_Descriptor, idiSerializable)
VARN_DEFINE_CLASS_DESCRIPTOR(cSprite, "cSprite", "cSprite", &cBitmap::m_Descriptor,
                             cInterfaceID(0, false))

cBitmap::~cBitmap() = default;
cSprite::~cSprite() = default;

void cBitmap::SetSize(const tSize<int>& size) {
  m_Size = size;
}
void cBitmap::SetWidth(int width) {
  m_Size.width = width;
}
void cBitmap::SetHeight(int height) {
  m_Size.height = height;
}
void cBitmap::SetPixelFormat(const cPixelFormat& format) {
  m_PixelFormat = format;
}

void cBitmap::EnableColorKey(uint32_t key) {
  m_ColorKeyEnabled = true;
  m_ColorKey = key;
}

void cBitmap::DisableColorKey() {
  m_ColorKeyEnabled = false;
}
void cBitmap::SetPalette(const cPalette& palette) {
  m_Palette = palette;
}

void cBitmap::SetStreamFields(const tSize<int>& size, const cPixelFormat& format, uint32_t key,
                              const cPalette* palette) {
  m_Size = size;
  m_PixelFormat = format;
  m_ColorKey = key;
  if (palette != nullptr) m_Palette = *palette;
}

namespace tolmak::detail {
namespace {

// Everything a bitmap record holds, read in full before the bitmap changes.
struct cBitmapRecord {
  tSize<int> m_Size{0, 0};
  cPixelFormat m_Format;
  uint32_t m_ColorKey = 0;
  bool m_HasPalette = false;
  cPalette m_Palette;
};

[[noreturn]] void Fail(const char* message) {
  throw cException(__FILE__, __LINE__, message);
}

bool HasPalette(const cPixelFormat& format) {
  return format.GetTotalBits() == 8;
}

void ReadPalette(iIOStream& stream, cPalette& palette) {
  for (int i = 0; i < 256; ++i)
    if (!stream.ReadUInt32(palette[i])) Fail("Bitmap stream ends inside its palette");
}

void ReadRecord(iIOStream& stream, cBitmapRecord& record) {
  uint16_t format = 0;
  if (!stream.ReadInt32(record.m_Size.width) || !stream.ReadInt32(record.m_Size.height) ||
      !stream.ReadUInt16(format) || !stream.ReadUInt32(record.m_ColorKey))
    Fail("Bitmap stream ends before its header is complete");
  // The record carries no pixels, so any size reads back as it was written;
  // the classes whose pixels follow decide which sizes they can hold.
  if (format > cPixelFormat::Invalid)
    throw cException(__FILE__, __LINE__,
                     cString::StringF("Bitmap stream has an unknown pixel format %u",
                                      static_cast<unsigned>(format)));
  record.m_Format = static_cast<cPixelFormat::EFormat>(format);
  record.m_HasPalette = HasPalette(record.m_Format);
  if (record.m_HasPalette) ReadPalette(stream, record.m_Palette);
}

void WriteRecord(iIOStream& stream, const cBitmap& bitmap) {
  stream.WriteInt32(bitmap.GetWidth());
  stream.WriteInt32(bitmap.GetHeight());
  stream.WriteUInt16(static_cast<uint16_t>(bitmap.GetPixelFormat().GetFormat()));
  stream.WriteUInt32(bitmap.GetColorKey());
  if (!HasPalette(bitmap.GetPixelFormat())) return;
  for (int i = 0; i < 256; ++i) stream.WriteUInt32(bitmap.GetPalette()[i]);
}

}  // namespace
}  // namespace tolmak::detail

void cBitmap::Save(iIOStream& stream) {
  tolmak::detail::WriteRecord(stream, *this);
}

void cBitmap::Load(iIOStream& stream) {
  tolmak::detail::cBitmapRecord record;
  tolmak::detail::ReadRecord(stream, record);
  SetStreamFields(record.m_Size, record.m_Format, record.m_ColorKey,
                  record.m_HasPalette ? &record.m_Palette : nullptr);
}

void cSprite::Save(iIOStream& stream) {
  cBitmap::Save(stream);
  stream.WriteInt32(m_Frames);
}

void cSprite::Load(iIOStream& stream) {
  tolmak::detail::cBitmapRecord record;
  tolmak::detail::ReadRecord(stream, record);
  int32_t frames = 0;
  if (!stream.ReadInt32(frames)) tolmak::detail::Fail("Sprite stream ends before its frame count");
  SetStreamFields(record.m_Size, record.m_Format, record.m_ColorKey,
                  record.m_HasPalette ? &record.m_Palette : nullptr);
  m_Frames = frames;
}
