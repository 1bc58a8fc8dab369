#pragma once

// The demo's application object: devices, the frame loop and the reload check.

#include <string>
#include <vector>

#include "scene.h"
#include "sound.h"
#include "zunfert.h"

namespace demo {

struct cOptions {
  int frames = 60;
  /// Without --frames a window plays until Escape or its close button.
  bool framesGiven = false;
  std::string output = "demo-output";
  /// An input script file; empty plays the built-in one.
  std::string input;
  /// A WAV file the soundtrack is rendered into offline; empty plays it live.
  std::string audio;
  /// Draw in a window where one can be opened (--video opengl, the
  /// default), or always with the software device (--video software).
  bool window = true;
};

/// Seconds spent per frame in one phase.
struct cTimer {
  double total = 0, least = 1e30, most = 0;
  int count = 0;
  void Add(double seconds);
  double Average() const { return count ? total / count : 0; }
};

class cDemo : public cApplicationEx {
 public:
  explicit cDemo(const cOptions& options);
  ~cDemo() override;

  /// Brings up the devices, plays the frames, checks the reload; 0 when
  /// everything worked.
  int Run() override;
  /// Stops the sound before the stream manager its music is read through.
  void Exit() override;

 private:
  void StartDevices();
  void StopDevices();
  void StartInput();
  /// In a window, the keyboard and mouse read the player ("cSdlKeyboard",
  /// "cSdlMouse") instead of a script; false where they are not offered.
  bool UseRealInput();
  /// Reads the devices at the game time and steers the camera.
  void ReadInput(float time, float step);
  void PlaceCamera();
  void PlayFrames();
  /// Draws the world into the back buffer and presents it (the device
  /// writes the PNG); gives the seconds each took.
  void Draw(cWorld* world, double& render, double& present);
  /// Saves the scene, loads it into a fresh world, draws that and compares
  /// it with the last frame.
  bool CheckReload();
  void ShowProgress(int frame, double update, double render, double present) const;
  void PrintSummary(bool identical) const;

  cOptions m_Options;
  cVideo3D* m_Video = nullptr;
  cDefaultKeyboard* m_Keyboard = nullptr;
  cDefaultMouse* m_Mouse = nullptr;
  bool m_RealInput = false;
  cObject* m_Replaced[2] = {};  // the application's keyboard and mouse, while real ones play
  cScene m_Scene;
  cDefaultWorld* m_Reloaded = nullptr;
  cEntity* m_Camera = nullptr;
  cEntity* m_Moon = nullptr;
  cDemoSound m_Sound;
  std::vector<cTextureFile> m_Textures;
  // Where the main camera orbits: angle about Y, distance, height.
  float m_Yaw = 0.0f, m_Distance = 18.0f, m_Height = 5.0f;
  int m_Wheel = 0;
  bool m_Wireframe = false;
  bool m_Quit = false;
  bool m_Windowed = false;
  int m_FramesPlayed = 0;
  cTimer m_Update, m_Render, m_Present;
  int m_Differences = 0;
  std::string m_FrameCounts;
};

}  // namespace demo
