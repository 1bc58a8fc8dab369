#include "play.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "video_choice.h"

#if defined(_WIN32)
#include <io.h>
#define DEMO_ISATTY(file) _isatty(_fileno(file))
#else
#include <unistd.h>
#define DEMO_ISATTY(file) isatty(fileno(file))
#endif

namespace demo {
namespace {

namespace fs = std::filesystem;
using tClock = std::chrono::steady_clock;

constexpr int kWidth = 640, kHeight = 480;
constexpr float kStep = 1.0f / 30.0f;  // game seconds per frame, without a player
constexpr int kPlayLimit = 100000;     // frames a player may play in a window

// The built-in input: orbit to the right, drag the view with the mouse,
// zoom in with the wheel, and a look from above near the end.
const char* const kScript =
    "0.40 key down Right\n"
    "1.00 key up Right\n"
    "1.10 mouse down left\n"
    "1.10 mouse motion -150 0\n"
    "1.40 mouse motion -60 0\n"
    "1.50 mouse up left\n"
    "1.60 mouse wheel 1\n"
    "3.00 type c\n"
    "3.50 type c\n";

double Seconds(tClock::time_point from) {
  return std::chrono::duration<double>(tClock::now() - from).count();
}

/// The pixels of a swap-chain surface, row by row.
std::vector<uint8_t> CopyPixels(cVideo3D* video) {
  cSurface* surface = video->GetSurface(cVideo3D::ESurface::Front);
  if (surface == nullptr) throw std::runtime_error("the video device shows no front surface");
  const auto* pixels = static_cast<const uint8_t*>(surface->Lock());
  const size_t size = static_cast<size_t>(surface->GetPitch()) * surface->GetHeight();
  std::vector<uint8_t> copy(pixels, pixels + (pixels ? size : 0));
  surface->Unlock();
  return copy;
}

/// Sets a string property of a device, such as the software device's
/// "Output" pattern; false when the device has no such property.
bool SetStringProperty(cObject* object, const char* name, const cString& value) {
  cPropertySheet sheet;
  object->AddProperties(&sheet);
  cString copy = value;
  return sheet.Set(name, &copy);
}

template <class T>
T* Device(cObject* object, const char* what) {
  T* device = dynamic_cast<T*>(object);
  if (device == nullptr) throw std::runtime_error(std::string("no ") + what);
  return device;
}

}  // namespace

void cTimer::Add(double seconds) {
  total += seconds;
  least = std::min(least, seconds);
  most = std::max(most, seconds);
  ++count;
}

cDemo::cDemo(const cOptions& options) : cApplicationEx("tolmak demo"), m_Options(options) {}

cDemo::~cDemo() {
  StopDevices();
}

int cDemo::Run() {
  const fs::path output = m_Options.output;
  fs::remove_all(output / "frames");
  for (const char* folder : {"frames", "textures", "scene"})
    fs::create_directories(output / folder);
  StartDevices();
  m_Textures = WriteTextures((output / "textures").string());
  m_Scene = BuildScene(*this, m_Video, m_Textures);
  for (cEntity* entity : m_Scene.world->GetEntities()) {
    if (entity != nullptr && entity->GetName() == "MainCamera") m_Camera = entity;
    if (entity != nullptr && entity->GetName() == "Moon") m_Moon = entity;
  }
  if (m_Windowed && m_Options.input.empty()) m_RealInput = UseRealInput();
  if (m_RealInput && !m_Options.framesGiven) m_Options.frames = kPlayLimit;
  if (m_Options.frames == kPlayLimit)
    std::printf(
        "demo: %d triangles in %d entities, %d mesh subsets; playing at %d x %d until Escape "
        "or the window closes\n",
        m_Scene.triangles, m_Scene.world->GetNumberOfEntities(), m_Scene.subsets, kWidth, kHeight);
  else
    std::printf(
        "demo: %d triangles in %d entities, %d mesh subsets; drawing %d frames of %d x %d\n",
        m_Scene.triangles, m_Scene.world->GetNumberOfEntities(), m_Scene.subsets, m_Options.frames,
        kWidth, kHeight);
  StartInput();
  m_Sound.Start(m_Options.output, m_Options.audio);
  PlayFrames();
  m_Sound.Stop();
  const bool identical = CheckReload();
  PrintSummary(identical);
  return identical ? 0 : 1;
}

void cDemo::Exit() {
  m_Sound.Stop();
  cApplicationEx::Exit();
}

void cDemo::StartDevices() {
  if (!Initialize(Keyboard) || !Initialize(Mouse) || !Initialize(StreamManager))
    throw std::runtime_error("the devices could not be created");
  m_Keyboard = Device<cDefaultKeyboard>(GetKeyboard(), "keyboard of the plug-in library");
  m_Mouse = Device<cDefaultMouse>(GetMouse(), "mouse of the plug-in library");
  const cVideoChoice choice = OpenVideo(*this, m_Options.window, kWidth, kHeight);
  m_Video = choice.video;
  m_Windowed = choice.windowed;
  if (!choice.note.empty()) std::printf("demo: %s\n", choice.note.c_str());
  if (m_Video == nullptr) throw std::runtime_error("the video device did not start");
  if (m_Windowed) return;  // frames go to the window; only the reload check is written
  const std::string frames = (fs::path(m_Options.output) / "frames" / "frame_%03d.png").string();
  if (!SetStringProperty(m_Video, "Output", frames.c_str()))
    throw std::runtime_error("the video device cannot write its frames");
}

void cDemo::StopDevices() {
  // Materials and meshes give their device copies back, so the worlds go first.
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  plugins->Destroy(std::exchange(m_Reloaded, nullptr));
  plugins->Destroy(std::exchange(m_Scene.world, nullptr));
  if (m_Video != nullptr) m_Video->ShutdownDevice();
  plugins->Destroy(std::exchange(m_Video, nullptr));
  plugins->Destroy(std::exchange(m_Keyboard, nullptr));
  plugins->Destroy(std::exchange(m_Mouse, nullptr));
  for (cObject*& device : m_Replaced) plugins->Destroy(std::exchange(device, nullptr));
}

bool cDemo::UseRealInput() {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  cObject* keyboard = plugins->Create(gCRC32("cSdlKeyboard"));
  cObject* mouse = plugins->Create(gCRC32("cSdlMouse"));
  auto* realKeyboard = dynamic_cast<cDefaultKeyboard*>(keyboard);
  auto* realMouse = dynamic_cast<cDefaultMouse*>(mouse);
  if (realKeyboard == nullptr || realMouse == nullptr) {
    plugins->Destroy(keyboard);
    plugins->Destroy(mouse);
    return false;
  }
  m_Replaced[0] = std::exchange(m_Keyboard, realKeyboard);
  m_Replaced[1] = std::exchange(m_Mouse, realMouse);
  return true;
}

void cDemo::StartInput() {
  if (!m_RealInput) {
    const cInputScript script = m_Options.input.empty()
                                    ? cInputScript::Parse(kScript)
                                    : cInputScript::Load(cUrl(cString(m_Options.input.c_str())));
    m_Keyboard->SetScript(script);
    m_Mouse->SetScript(script);
  }
  m_Mouse->SetArea(0, 0, kWidth, kHeight);
  if (!m_Keyboard->Acquire() || !m_Mouse->Acquire())
    throw std::runtime_error("the keyboard or the mouse is held by another program");
}

void cDemo::ReadInput(float time, float step) {
  m_Keyboard->SetTime(time);
  m_Mouse->SetTime(time);
  m_Keyboard->Update();
  m_Mouse->Update();
  const float turn = 60.0f * step, zoom = 8.0f * step;
  if (m_Keyboard->IsKeyPressed(cDefaultKeyboard::KeyLeft)) m_Yaw -= turn;
  if (m_Keyboard->IsKeyPressed(cDefaultKeyboard::KeyRight)) m_Yaw += turn;
  if (m_Keyboard->IsKeyPressed(cDefaultKeyboard::KeyUp)) m_Distance -= zoom;
  if (m_Keyboard->IsKeyPressed(cDefaultKeyboard::KeyDown)) m_Distance += zoom;
  if (m_Keyboard->IsKeyPressed(cDefaultKeyboard::KeyEscape) ||
      m_Keyboard->IsKeyPressed(cDefaultKeyboard::KeyClose))
    m_Quit = true;
  int dx = 0, dy = 0;
  m_Mouse->GetMotion(dx, dy);
  if (m_Mouse->IsButtonPressed(cMouse::ButtonLeft)) m_Yaw += 0.3f * static_cast<float>(dx);
  m_Distance -= 2.0f * static_cast<float>(m_Mouse->GetWheel() - m_Wheel);
  m_Wheel = m_Mouse->GetWheel();
  m_Distance = std::clamp(m_Distance, 8.0f, 40.0f);
  for (char c; (c = m_Keyboard->GetChar()) != 0;) {
    if (c == 'c') {
      const bool main = m_Scene.world->GetSelectedCamera() == m_Camera;
      m_Scene.world->SelectCamera(main ? "TopCamera" : "MainCamera");
    } else if (c == 'w') {
      m_Wireframe = !m_Wireframe;
      m_Video->SetPrimitiveStyle(m_Wireframe ? cVideo3D::EPrimitiveStyle::WireFramed
                                             : cVideo3D::EPrimitiveStyle::Solid);
    }
  }
}

void cDemo::PlaceCamera() {
  if (m_Camera == nullptr) return;
  const float angle = m_Yaw * 0.017453292f;
  LookAt(m_Camera, cVector3(m_Distance * std::sin(angle), m_Height, -m_Distance * std::cos(angle)),
         cVector3(0, 0, 0));
}

void cDemo::Draw(cWorld* world, double& render, double& present) {
  const tClock::time_point start = tClock::now();
  m_Video->BeginScene();
  m_Video->SetClearColor(cColor(1, 0.04f, 0.05f, 0.10f));
  m_Video->Clear(true, true, false);
  world->Render(m_Video);
  m_Video->EndScene();
  render = Seconds(start);
  const tClock::time_point shown = tClock::now();
  if (!m_Video->Flip()) throw std::runtime_error("the video device could not present a frame");
  present = Seconds(shown);
}

void cDemo::PlayFrames() {
  float time = 0;
  tClock::time_point previous = tClock::now();
  for (int frame = 0; frame < m_Options.frames && !m_Quit; ++frame) {
    const tClock::time_point start = tClock::now();
    // A player's game runs on the clock (at the display's rate); a script's
    // on fixed steps, so that its frames are the same on every machine.
    const float step = m_RealInput ? std::min(static_cast<float>(Seconds(previous)), 0.1f) : kStep;
    previous = start;
    time += step;
    ReadInput(time - step, step);
    m_Yaw += 8.0f * step;  // a slow drift of its own
    m_Scene.world->Animate(step);
    PlaceCamera();
    cEntity::UpdateMatrices();
    if (m_Moon != nullptr)
      m_Sound.Update(m_Scene.world->GetSelectedCamera()->GetWorldMatrix(),
                     m_Moon->GetWorldMatrix().GetPosition(), kStep);
    const double update = Seconds(start);
    double render = 0, present = 0;
    Draw(m_Scene.world, render, present);
    m_Update.Add(update);
    m_Render.Add(render);
    m_Present.Add(present);
    ++m_FramesPlayed;
    ShowProgress(frame, update, render, present);
  }
  if (DEMO_ISATTY(stdout)) std::printf("\n");
  // What the windowed device sent to the card for the last frame played.
  cPropertySheet sheet;
  m_Video->AddProperties(&sheet);
  cString counts;
  if (sheet.Get("FrameCounts", &counts)) m_FrameCounts = counts.c_str();
}

bool cDemo::CheckReload() {
  const std::vector<uint8_t> before = CopyPixels(m_Video);
  const fs::path scene = fs::path(m_Options.output) / "scene" / "orrery.world";
  if (!cPluginSystem::GetInstance()->SavePlugin(m_Scene.world,
                                                cUrl(cString(scene.string().c_str()))))
    throw std::runtime_error("could not save the scene to " + scene.string());
  cObject* loaded = cPluginSystem::GetInstance()->LoadPlugin(cUrl(cString(scene.string().c_str())));
  m_Reloaded = dynamic_cast<cDefaultWorld*>(loaded);
  if (m_Reloaded == nullptr) {
    cPluginSystem::GetInstance()->Destroy(loaded);
    throw std::runtime_error("could not load the scene back from " + scene.string());
  }
  m_Reloaded->SetVideo(m_Video);
  cEntity::UpdateMatrices();
  const std::string picture = (fs::path(m_Options.output) / "reloaded.png").string();
  SetStringProperty(m_Video, "Output", picture.c_str());
  double render = 0, present = 0;
  Draw(m_Reloaded, render, present);
  const std::vector<uint8_t> after = CopyPixels(m_Video);
  m_Differences = before.size() == after.size() ? 0 : -1;
  for (size_t i = 0; i + 3 < before.size() && i + 3 < after.size(); i += 4)
    m_Differences += std::memcmp(&before[i], &after[i], 4) != 0;
  return before.size() == after.size() && m_Differences == 0;
}

void cDemo::ShowProgress(int frame, double update, double render, double present) const {
  // A terminal redraws one line; a log gets a line every tenth frame.
  static const bool terminal = DEMO_ISATTY(stdout) != 0;
  const bool last = frame + 1 == m_Options.frames;
  if (!terminal && (frame + 1) % 10 != 0 && !last) return;
  constexpr int kBar = 30;
  const int done = (frame + 1) * kBar / m_Options.frames;
  std::printf("%s  [%.*s%*s] %4d/%d  update %5.2f ms  render %6.2f ms  png %6.2f ms%s",
              terminal ? "\r" : "", done, "##############################", kBar - done, "",
              frame + 1, m_Options.frames, update * 1e3, render * 1e3, present * 1e3,
              terminal ? "" : "\n");
  std::fflush(stdout);
}

void cDemo::PrintSummary(bool identical) const {
  const fs::path output = fs::absolute(m_Options.output);
  if (!m_FrameCounts.empty()) std::printf("Last frame: %s\n", m_FrameCounts.c_str());
  if (m_Windowed)
    std::printf("Window:    %d frames shown\n", m_FramesPlayed);
  else
    std::printf("Pictures:  %s/frames/frame_000.png ... (%d frames)\n", output.string().c_str(),
                m_FramesPlayed);
  std::printf("Reloaded:  %s/reloaded.png (the scene loaded back from %s/scene)\n",
              output.string().c_str(), output.string().c_str());
  std::printf("Textures:  %s/textures (", output.string().c_str());
  for (size_t i = 0; i < m_Textures.size(); ++i)
    std::printf("%s%s", i ? "; " : "", m_Textures[i].what.c_str());
  std::printf(")\n");
  const std::string reload =
      identical ? "renders identically" : "DIFFERS in " + std::to_string(m_Differences) + " pixels";
  std::printf(
      "demo: %d frames, %d triangles each, render %.2f ms a frame (%.2f to %.2f), png "
      "%.2f ms; reloaded scene %s\n",
      m_FramesPlayed, m_Scene.triangles, m_Render.Average() * 1e3, m_Render.least * 1e3,
      m_Render.most * 1e3, m_Present.Average() * 1e3, reload.c_str());
}

}  // namespace demo
