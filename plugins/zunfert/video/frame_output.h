#pragma once

#include <cstdint>
#include <string>

#include <tolmak.h>

namespace zunfert {

/// Where a device presents its frames: PNG files named by a pattern, or
/// nowhere (the frames then stay in memory for the program to read).
///
/// The pattern is a file path in which the first "%d", or "%0Nd" with N a
/// digit, is replaced by the frame number, zero-padded to N digits; any
/// other character is taken as it is, so a pattern without that token
/// rewrites one file. Missing folders are created.
class cFrameOutput {
 public:
  /// An empty pattern writes nothing.
  void SetPattern(const cString& pattern);
  const cString& GetPattern() const { return m_Pattern; }
  /// The file name for a frame number.
  std::string FileName(uint32_t frame) const;
  /// Writes the surface as an opaque PNG for the next frame number and
  /// counts the frame; true when nothing is to be written. A file that
  /// cannot be written gives false and leaves the count unchanged.
  bool Present(const cSurface& surface);
  /// Frames presented since the pattern was set.
  uint32_t GetFrameCount() const { return m_Frames; }

 private:
  cString m_Pattern;
  uint32_t m_Frames = 0;
};

/// Writes a surface (any colour format) as an opaque RGBA PNG file; false
/// when the file cannot be written.
bool WritePng(const cSurface& surface, const std::string& fileName);

}  // namespace zunfert
