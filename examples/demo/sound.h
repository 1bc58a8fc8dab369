#pragma once

// The demo's sound: a hum that travels with the moon, heard from the camera,
// and music through the CD player from tracks the demo writes itself.

#include <memory>
#include <string>

#include <tolmak.h>

namespace demo {

class cSoundImpl;

class cDemoSound {
 public:
  cDemoSound();
  ~cDemoSound();
  cDemoSound(const cDemoSound&) = delete;
  cDemoSound& operator=(const cDemoSound&) = delete;

  /// Writes the tracks into folder/music and starts the sound: rendered
  /// offline into the WAV file wav when it is named, else live on the
  /// default output. Without a device (or an audio driver) it says so once
  /// and the game goes on silently.
  void Start(const std::string& folder, const std::string& wav);
  /// One frame of step seconds: the listener at the camera, the hum at the
  /// moon; an offline render mixes the frame's sound.
  void Update(const cMatrix4x3& camera, const cVector3& moon, float step);
  /// Stops the sound and writes the WAV file of an offline render.
  void Stop();

 private:
  std::unique_ptr<cSoundImpl> m_Impl;
};

}  // namespace demo
