#pragma once

#include <cstdint>

#include <varnlib.h>

#include "tolmak_bitmap.h"
#include "tolmak_export.h"
#include "tolmak_input.h"
#include "tolmak_pixelformat.h"

class cVideo3D;

/// The base of a game's application object: it links the plug-in library
/// "Zunfert.dll", lists the video drivers the plug-ins offer, creates the
/// keyboard, the mouse, one video device and the stream manager through the
/// plug-in system, initialises the video device and loads image files into
/// sprites. The game supplies Run.
///
/// Order of use: Init; EnumerateVideoDevices; Initialize for each kind of
/// device; InitVideo; LoadImage as often as needed; Exit last.
///
/// The application owns none of the devices it holds: they are objects of
/// the plug-in system, and a copy of the application shares them.
class TOLMAK_API cApplicationEx : public cApplication {
 public:
  /// The kind of video device the game drives. Every test treats 1 as 2D
  /// and any other non-zero value as 3D; 0 is no type at all.
  enum EVideoType : int32_t { NoVideoType = 0, Video2D = 1, Video3D = 2 };
  enum EDeviceTypes : int32_t { Keyboard = 0, Mouse = 1, Video = 2, StreamManager = 3 };
  enum EImageType : int32_t { Bmp = 0, Pcx = 1, Jpeg = 2, Tga = 3 };

  /// No devices yet, no video type, the default (Invalid) pixel format.
  explicit cApplicationEx(const cString& name);
  cApplicationEx(const cApplicationEx&) = default;
  cApplicationEx& operator=(const cApplicationEx&) = default;
  ~cApplicationEx() override;

  /// Takes the plug-in system and links "Zunfert.dll". Always true: a
  /// library that cannot be linked shows as drivers that Initialize cannot
  /// create, with a trace line that names the library and where it was
  /// looked for.
  bool Init() override;
  /// Deletes the stream manager (GetStreamManager then gives null).
  void Exit() override;

  /// Empties the list (its storage stays), stores the video type, then
  /// lists the class names of the plug-in classes derived from "cVideo2D"
  /// (Video2D) or "cVideo3D" (any other type), in the plug-in system's
  /// order. Type 0 throws cException("Illigal VideoType") after the list was
  /// emptied and the type stored.
  void EnumerateVideoDevices(EVideoType type, tArray<cString>& list);

  /// Creates one device: the keyboard ("cDefaultKeyboard"), the mouse
  /// ("cDefaultMouse"), the video device of the class named, as the chosen
  /// video type, or the stream manager. The class name is read for Video
  /// only. A driver that cannot be created (a keyboard or mouse class that
  /// is not a cKeyboard or cMouse counts as one, and is destroyed) is shown
  /// with gShowError and gives false; its field stays null. Video with an
  /// empty name or before a video type was chosen gives false. Every false
  /// comes with a trace line naming the cause (before the fixed message).
  bool Initialize(EDeviceTypes device, const cString& className = cString());

  /// Initialises the video device from a default cInitInfo with the size,
  /// depth and flag given, the title (the application's name when empty)
  /// and, when not 0, value as its last field; then adopts the device's
  /// pixel format. Does nothing without a video device, or when it is not a
  /// cVideo2D (video type Video2D) or cVideo3D (any other type). Those
  /// cases, and a device that refuses the size or depth, leave a trace line.
  void InitVideo(uint16_t width, uint16_t height, uint8_t depth, bool flag, int value,
                 const cString& title = cString());

  /// Decodes the file with the plug-in's loader sprite for the image type
  /// ("cBmpSprite", "cPcxSprite", "cJpegSprite", "cTgaSprite"), gives the
  /// sprite the application's pixel format and makes it from the loader
  /// with CreateFrom(loader, frameWidth, frameHeight). False, without a
  /// message box, for a null sprite (no loader is made), a loader that
  /// cannot be created or is no sprite, or a file that cannot be opened (as
  /// without a stream manager); a trace line names the cause. The loader is destroyed on every
  /// path; an exception from it or from the sprite passes through after the loader was destroyed
  /// and the stream closed.
  bool LoadImage(EImageType type, const cString& fileName, cSprite* sprite, int frameWidth,
                 int frameHeight);

  /// The usual start of a game in one call: EnumerateVideoDevices of the
  /// type, Initialize of the video device named and of the stream manager
  /// (unless there is one), then InitVideo in the depth given, windowed.
  /// False, with the cause traced, when any step fails.
  bool StartVideo(EVideoType type, const cString& className, uint16_t width, uint16_t height,
                  uint8_t depth = 32);
  /// The video device as a cVideo3D, or null.
  cVideo3D* GetVideo3D() const;

  /// LoadImage of any file the plug-in's loaders read (BMP, PCX, TGA, JPEG,
  /// PNG), the loader chosen by the file's first bytes, not its name; a
  /// file of another kind gives false with a trace line.
  bool LoadImage(const cString& fileName, cSprite* sprite, int frameWidth = 0, int frameHeight = 0);

  /// Makes the video device write each frame it presents to a file named
  /// by the pattern, "%d" or "%03d" standing for the frame number
  /// ("frames/cube_%03d.png"); empty stops. False, with a trace line, when
  /// there is no video device or it writes no frames (it publishes no
  /// "Output" text property).
  bool SetFrameOutput(const cString& pattern);

  cPluginSystem* GetPluginSystem() const { return m_PluginSystem; }
  cKeyboard* GetKeyboard() const { return m_Keyboard; }
  cMouse* GetMouse() const { return m_Mouse; }
  cStreamManager* GetStreamManager() const { return m_StreamManager; }
  /// The video device of the chosen type; null before one was created and
  /// while there is no video type.
  cObject* GetVideo() const {
    if (m_VideoType == NoVideoType) return nullptr;
    return m_VideoType == Video2D ? m_Video2D : m_Video3D;
  }
  /// The video device's pixel format once InitVideo ran.
  cPixelFormat GetPixelFormat() const { return m_PixelFormat; }

 private:
  /// Stores the device as the video of the chosen type.
  void SetVideo(cObject* video) {
    // The file and line are part of the engine's message.
    if (m_VideoType == NoVideoType)
      throw cException("tolmak_ApplicationEx.h", 201, "Illigale video operation.");
    (m_VideoType == Video2D ? m_Video2D : m_Video3D) = video;
  }

  /// Loads the file with the loader class named (LoadImage's steps).
  bool LoadWith(const char* loaderClass, const cString& fileName, cSprite* sprite, int frameWidth,
                int frameHeight);
  /// The image file opened for reading, or null with a trace line.
  iIOStream* OpenImage(const cString& fileName);
  /// Traces why a plug-in class could not be created.
  void TraceMissingClass(const char* className) const;

  cPluginSystem* m_PluginSystem = nullptr;
  /// Why Init could not link the plug-in library; empty when it could.
  cString m_LinkError;
  cKeyboard* m_Keyboard = nullptr;
  cMouse* m_Mouse = nullptr;
  EVideoType m_VideoType = NoVideoType;
  cStreamManager* m_StreamManager = nullptr;
  /// The stream LoadImage is reading; null again once it was closed.
  iIOStream* m_ImageStream = nullptr;
  cPixelFormat m_PixelFormat;
  cObject* m_Video2D = nullptr;
  cObject* m_Video3D = nullptr;
};
