#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zunfert {

/// Writes frames as PNG files on a thread of its own, so that a program
/// draws the next frame while the last one is compressed. One frame is in
/// hand at a time: handing over the next waits for it. The files are RGB,
/// compressed for speed (zlib level 1, runs only, the Sub filter): frame dumps are
/// written far more often than they are read.
///
/// The thread starts with the first frame and ends with the writer; a
/// writer that never writes costs nothing.
class cFrameWriter {
 public:
  cFrameWriter() = default;
  cFrameWriter(const cFrameWriter&) = delete;
  cFrameWriter& operator=(const cFrameWriter&) = delete;
  /// Finishes the frame in hand.
  ~cFrameWriter();

  /// The pixels of the next frame, packed ARGB row by row, to be filled by
  /// the caller before Write. Its storage is reused from frame to frame.
  uint32_t* NextFrame(uint32_t width, uint32_t height);
  /// Hands the frame filled through NextFrame over, to be written to the
  /// file (missing folders are created). Waits for the frame before first;
  /// call Wait to learn whether that one was written.
  void Write(std::string fileName);
  /// Waits for the frame in hand; whether it was written (true when none).
  bool Wait();

 private:
  struct tFrame {
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    std::string fileName;
  };

  void Run();

  tFrame m_Next;     // filled by the caller
  tFrame m_Writing;  // the thread's
  std::mutex m_Mutex;
  std::condition_variable m_Changed;
  bool m_Busy = false;  // m_Writing holds a frame not yet written
  bool m_Written = true;
  bool m_Stop = false;
  std::thread m_Thread;
};

/// Writes packed ARGB pixels (alpha ignored) as an RGB PNG file, compressed
/// for speed; false when the file cannot be written.
bool WriteFramePng(const uint32_t* argb, uint32_t width, uint32_t height,
                   const std::string& fileName);

}  // namespace zunfert
