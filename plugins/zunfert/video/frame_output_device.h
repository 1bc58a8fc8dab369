#pragma once

#include <tolmak.h>

#include "frame_output.h"

namespace zunfert {

/// A display device (tDevice is cVideo2D or cVideo3D) whose frames go
/// through a cFrameOutput, with the pattern published as the "Output"
/// string property so that a program can set it by name.
template <class tDevice>
class tFrameOutputDevice : public tDevice {
 public:
  /// See cFrameOutput; empty keeps the frames in memory only.
  void SetOutput(const cString& pattern) { m_Output.SetPattern(pattern); }
  const cFrameOutput& GetOutput() const { return m_Output; }

  void AddProperties(cPropertySheet* sheet) override {
    tDevice::AddProperties(sheet);
    sheet->Add(cProperty::String, cString("Output"), this,
               PropertyAccessor(&tFrameOutputDevice::GetPropertyOutput),
               PropertyAccessor(&tFrameOutputDevice::SetPropertyOutput));
  }

 protected:
  cFrameOutput& Output() { return m_Output; }

 private:
  void GetPropertyOutput(void* value) { *static_cast<cString*>(value) = m_Output.GetPattern(); }
  void SetPropertyOutput(void* value) { m_Output.SetPattern(*static_cast<const cString*>(value)); }

  cFrameOutput m_Output;
};

}  // namespace zunfert
