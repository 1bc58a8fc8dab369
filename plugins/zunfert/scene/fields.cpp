#include "fields.h"

#include <algorithm>

namespace zunfert::detail {

void WriteOptionalReference(cSceneWriter& writer, const cString& location, cNamedObject* object) {
  writer.Byte(object != nullptr ? 1 : 0);
  if (object != nullptr) writer.Reference(location, *object);
}

cString ReadOptionalReference(cSceneReader& reader, const char* field) {
  const uint8_t present = reader.Byte(field);
  if (present > 1) reader.Corrupt(cString::StringF("%s has the flag %u", field, present));
  return present ? reader.Text(field) : cString();
}

cEntityRecord::cEntityRecord(iIOStream& stream) : m_Stream(stream), m_Copy(stream.GetUrl()) {
  // Name, pivot and offset matrices, visible flag, materials, model, children.
  m_Complete = Text() && Bytes(2 * 48 + 1) && Texts();
  uint8_t hasModel = 0;
  if (m_Complete) {
    m_Complete = m_Stream.ReadUInt8(hasModel) && m_Copy.WriteUInt8(hasModel);
    m_Complete = m_Complete && (hasModel == 0 || Text()) && Texts();
  }
  m_Copy.Seek(0);
}

bool cEntityRecord::Bytes(uint32_t count) {
  // Small: entity loads nest as deep as the plug-in system lets them.
  uint8_t buffer[256];
  while (count > 0) {
    const uint32_t piece = std::min<uint32_t>(count, sizeof buffer);
    const uint32_t got = m_Stream.Read(buffer, piece);
    m_Copy.Write(buffer, got);
    if (got != piece) return false;
    count -= piece;
  }
  return true;
}

bool cEntityRecord::Int(int32_t& value) {
  if (!m_Stream.ReadInt32(value)) return false;
  m_Copy.WriteInt32(value);
  return true;
}

bool cEntityRecord::Text() {
  int32_t length = 0;
  if (!Int(length) || length < 0) return false;
  const int64_t remaining = m_Stream.GetRemaining();
  return (remaining < 0 || length <= remaining) && Bytes(static_cast<uint32_t>(length));
}

bool cEntityRecord::Texts() {
  int32_t count = 0;
  if (!Int(count) || count < 0) return false;
  const int64_t remaining = m_Stream.GetRemaining();
  if (remaining >= 0 && int64_t{count} * 4 > remaining) return false;
  for (int32_t i = 0; i < count; ++i)
    if (!Text()) return false;
  return true;
}

}  // namespace zunfert::detail
