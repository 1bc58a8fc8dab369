#pragma once

#include <cstdint>
#include <string>

#include <tolmak.h>

#include "frame_writer.h"

namespace zunfert {

/// Where a device presents its frames: PNG files named by a pattern, or
/// nowhere (the frames then stay in memory for the program to read).
///
/// Files are written by a cFrameWriter while the next frame is drawn: a
/// frame is copied out of the surface when presented, and its file is
/// complete by the time the next frame is presented, the count is read or
/// the pattern changes.
///
/// The pattern is a file path in which the first "%d", or "%0Nd" with N a
/// digit, is replaced by the frame number, zero-padded to N digits; any
/// other character is taken as it is, so a pattern without that token
/// rewrites one file. Missing folders are created.
class cFrameOutput {
 public:
  /// An empty pattern writes nothing. Finishes the file under way first.
  void SetPattern(const cString& pattern);
  const cString& GetPattern() const { return m_Pattern; }
  /// The file name for a frame number.
  std::string FileName(uint32_t frame) const;
  /// Hands the surface over to be written as an opaque PNG for the next
  /// frame number, and counts the frame. The file of the frame before is
  /// finished first: when it could not be written, it leaves the count and
  /// the result is false. A surface without pixels gives false too.
  bool Present(const cSurface& surface);
  /// Frames written since the pattern was set; waits for the file under
  /// way, which leaves the count if it could not be written.
  uint32_t GetFrameCount() const;

 private:
  cString m_Pattern;
  // The count covers files written, so reading it waits for the writer.
  mutable uint32_t m_Frames = 0;
  mutable cFrameWriter m_Writer;
};

/// Writes a surface (any colour format) as an opaque RGBA PNG file; false
/// when the file cannot be written.
bool WritePng(const cSurface& surface, const std::string& fileName);

}  // namespace zunfert
