#include <gtest/gtest.h>
#include <tolmak.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using tLines = std::vector<std::string>;
using App = cApplicationEx;

/// "file:line message" of the cException the call throws.
template <class F>
cString Thrown(F call) {
  try {
    call();
  } catch (const cException& e) {
    return cString::StringF("%s:%d %s", e.GetFile().c_str(), e.GetLine(), e.GetMessage().c_str());
  }
  return "nothing";
}

class cGame : public cApplicationEx {
 public:
  cGame() : cApplicationEx("Bootstrap") {}
  int Run() override { return 0; }
};

// No public path reaches the failure of the private SetVideo; an explicit
// instantiation may name it.
using tSetVideo = void (App::*)(cObject*);
tSetVideo PrivateSetVideo();
template <tSetVideo Member>
struct tAccess {
  friend tSetVideo PrivateSetVideo() { return Member; }
};
template struct tAccess<&App::SetVideo>;

/// Links the stand-in plug-in and reads back what its classes were asked
/// (through trace) and what the player was shown (gShowError). The target
/// sprite is one of the plug-in's own.
class Bootstrap : public ::testing::Test {
 protected:
  void SetUp() override {
    plugins->AddSearchFolder(APP_TEST_PLUGIN_FOLDER);
    ASSERT_TRUE(game.Init());
    sprite = dynamic_cast<cSprite*>(plugins->Create(gCRC32("cBmpSprite")));
    ASSERT_NE(sprite, nullptr);
    calls.clear();
  }
  void TearDown() override {
    // The application owns none of its devices.
    cObject* objects[] = {sprite, game.GetVideo(), game.GetKeyboard(), game.GetMouse()};
    for (cObject* object : objects) plugins->Destroy(object);
    cStreamManager::Delete();
  }
  /// Takes a class out of the registry; Register brings it back.
  iClassDesc* SwitchOff(const char* name) {
    iClassDesc* desc = plugins->GetDescriptor(gCRC32(name));
    plugins->Unregister(desc);
    return desc;
  }

  cPluginSystem* plugins = cPluginSystem::GetInstance();
  tolmak::test::cMessages messages;
  tLines &calls = messages.traced, &errors = messages.shown;
  cGame game;
  cSprite* sprite = nullptr;
  tArray<cString> names;
};

}  // namespace

TEST_F(Bootstrap, StartsUpAgainstTheLinkedPlugin) {
  EXPECT_EQ(game.GetPluginSystem(), plugins);
  for (const char* old : {"a", "b", "c", "d", "e", "f", "g"}) names.Add(old);
  const int32_t capacity = names.GetCapacity();
  game.EnumerateVideoDevices(App::Video2D, names);
  EXPECT_EQ(tLines(names.begin(), names.end()), (tLines{"cWindowVideo2D", "cFullscreenVideo2D"}));
  EXPECT_EQ(names.GetCapacity(), capacity);  // emptied in place, not released
  game.EnumerateVideoDevices(App::Video3D, names);
  ASSERT_EQ(tLines(names.begin(), names.end()), tLines{"cHardwareVideo3D"});
  EXPECT_EQ(game.GetVideo(), nullptr);

  for (App::EDeviceTypes device : {App::Keyboard, App::Mouse, App::StreamManager})
    EXPECT_TRUE(game.Initialize(device));
  EXPECT_TRUE(game.Initialize(App::Video, names[0]));
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(game.GetKeyboard() && game.GetMouse());
  EXPECT_STREQ(game.GetVideo()->GetDescriptor()->GetClassName(), "cHardwareVideo3D");
  EXPECT_EQ(game.GetStreamManager(), cStreamManager::GetInstance());

  EXPECT_EQ(game.GetPixelFormat(), cPixelFormat::Invalid);
  game.InitVideo(1024, 768, 32, false, 42, "Title");
  game.InitVideo(640, 400, 8, true, 0, "");
  EXPECT_EQ(calls, (tLines{"cHardwareVideo3D InitDevice 1024 768 32 1 0111 0 '' 0 'Title' 42",
                           "cHardwareVideo3D InitDevice 640 400 8 1 1111 0 '' 0 'Bootstrap' 0"}));
  EXPECT_EQ(game.GetPixelFormat(), cPixelFormat::ARGB8888);

  const std::string loaders[] = {"cBmpSprite", "cPcxSprite", "cJpegSprite", "cTgaSprite"};
  cStreamManager::GetInstance()->SetMemoryFile(cUrl("mem://image"), "pixels", 6);
  for (int type = App::Bmp; type <= App::Tga; ++type) {
    calls.clear();
    const std::string& loader = loaders[type];
    EXPECT_TRUE(game.LoadImage(App::EImageType(type), "mem://image", sprite, 16, type));
    EXPECT_EQ(calls, (tLines{"create " + loader, loader + " Load mem://image 'pixels'",
                             "cBmpSprite SetPixelFormat ARGB 8888",
                             "cBmpSprite CreateFrom " + loader + " 6 16 " + std::to_string(type),
                             "destroy " + loader}));
  }
  game.Exit();
  EXPECT_EQ(cStreamManager::GetInstance(), nullptr);
}

TEST_F(Bootstrap, ReportsEachMistakeWithItsCauseThenDrivesA2DDevice) {
  const std::string missing =
      "\" of the right kind is registered (check the spelling; "
      "EnumerateVideoDevices lists the video devices)";
  iClassDesc* switchedOff[] = {SwitchOff("cDefaultKeyboard"), SwitchOff("cDefaultMouse")};
  EXPECT_FALSE(game.Initialize(App::Keyboard));
  EXPECT_FALSE(game.Initialize(App::Mouse));
  for (iClassDesc* desc : switchedOff) plugins->Register(desc);
  EXPECT_FALSE(game.Initialize(App::Video, "cWindowVideo2D"));  // no video type yet

  game.EnumerateVideoDevices(App::Video2D, names);
  EXPECT_EQ(Thrown([&] { game.EnumerateVideoDevices(App::EVideoType(0), names); }),
            "tolmak_ApplicationEx.cpp:249 Illigal VideoType");
  EXPECT_EQ(names.GetCount(), 0);
  EXPECT_EQ(Thrown([&] { (game.*PrivateSetVideo())(nullptr); }),
            "tolmak_ApplicationEx.h:201 Illigale video operation.");
  game.EnumerateVideoDevices(App::Video2D, names);
  EXPECT_FALSE(game.Initialize(App::Video, ""));
  EXPECT_FALSE(game.Initialize(App::Video, "cNoSuchVideo"));
  game.InitVideo(800, 600, 16, true, 0, "");  // no device: nothing to initialise
  EXPECT_FALSE(game.SetFrameOutput("frame_%d.png"));
  EXPECT_EQ(errors,
            (tLines{"Can't initialize keyboard drivers.", "Can't initialize mouse drivers.",
                    "Can't initialize video drivers. You should install DirectX 7.0 or above"}));
  EXPECT_EQ(calls,
            (tLines{"No plug-in class \"cDefaultKeyboard" + missing,
                    "No plug-in class \"cDefaultMouse" + missing,
                    "Initialize(Video) before EnumerateVideoDevices: call EnumerateVideoDevices("
                    "Video3D or Video2D, list) first, which chooses the kind of video device",
                    "Initialize(Video) needs the class name of a video device, one of those "
                    "EnumerateVideoDevices lists",
                    "No plug-in class \"cNoSuchVideo" + missing,
                    "InitVideo without a video device: call Initialize(Video, name) first",
                    "SetFrameOutput without a video device: call Initialize(Video, name) first"}));
  EXPECT_TRUE(!game.GetKeyboard() && !game.GetMouse() && !game.GetVideo());
  calls.clear();
  EXPECT_TRUE(game.Initialize(App::Video, names[1]));
  game.InitVideo(800, 600, 16, true, 0, "");
  EXPECT_EQ(calls, tLines{"cFullscreenVideo2D InitDevice 800 600 16 1 1111 0 '' 0 'Bootstrap' 0"});
  EXPECT_EQ(game.GetPixelFormat(), cPixelFormat::RGB565);
}

TEST_F(Bootstrap, DestroysTheLoaderOnEveryPath) {
  game.Initialize(App::StreamManager);
  EXPECT_FALSE(game.LoadImage(App::Tga, "mem://image", nullptr, 0, 0));
  EXPECT_TRUE(calls.empty());  // no loader was made for a null sprite
  iClassDesc* pcx = SwitchOff("cPcxSprite");
  EXPECT_FALSE(game.LoadImage(App::Pcx, "mem://image", sprite, 0, 0));
  plugins->Register(pcx);
  EXPECT_FALSE(game.LoadImage(App::Bmp, "mem://missing", sprite, 0, 0));
  cStreamManager::GetInstance()->SetMemoryFile(cUrl("mem://bad"), "throw", 5);
  EXPECT_THROW(game.LoadImage(App::Jpeg, "mem://bad", sprite, 0, 0), cException);
  EXPECT_FALSE(game.LoadImage("mem://bad", sprite));  // no image format starts so
  EXPECT_EQ(calls,
            (tLines{"No plug-in class \"cPcxSprite\" of the right kind is registered (check the "
                    "spelling; EnumerateVideoDevices lists the video devices)",
                    "create cBmpSprite",
                    "LoadImage: cannot open \"mem://missing\" (no such file, or not readable)",
                    "destroy cBmpSprite", "create cJpegSprite",
                    "cJpegSprite Load mem://bad 'throw'", "destroy cJpegSprite",
                    "LoadImage: \"mem://bad\" is no BMP, PCX, TGA, JPEG or PNG file"}));
  EXPECT_TRUE(errors.empty());
}
