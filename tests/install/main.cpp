// Uses the installed engine the way a game does: one header, the engine and
// its plug-in library. Without arguments it checks a rotation; with two
// picture files it checks that they show the same thing (a rendering
// against its golden picture).
#include <zunfert.h>

#include <cstdio>
#include <cstdlib>

class cConsumer : public cApplicationEx {
 public:
  cConsumer(const char* picture, const char* golden)
      : cApplicationEx("consumer"), m_Picture(picture), m_Golden(golden) {}

  int Run() override {
    const cVector3 moved = cVector3(1, 0, 0) * cMatrix4x3::EulerRotation(0, 90, 0);
    if (moved.ToString() != "(x=0.0000, y=0.0000, z=1.0000)") return 1;
    return m_Picture == nullptr ? 0 : ComparePictures();
  }

 private:
  // Renderings may round a little differently as the rasteriser changes,
  // so a few pixels may differ slightly; a wrong scene differs widely.
  int ComparePictures() {
    cMemorySprite picture, golden;
    if (!StartVideo(Video3D, "cSoftwareVideo3D", 1, 1) || !LoadImage(m_Picture, &picture) ||
        !LoadImage(m_Golden, &golden))
      return 1;
    if (picture.GetWidth() != golden.GetWidth() || picture.GetHeight() != golden.GetHeight()) {
      std::printf("%s: size differs from %s\n", m_Picture, m_Golden);
      return 1;
    }
    int differing = 0;
    for (int y = 0; y < picture.GetHeight(); ++y)
      for (int x = 0; x < picture.GetWidth(); ++x) {
        const uint32_t a = picture.GetPixel(0, x, y), b = golden.GetPixel(0, x, y);
        for (int shift = 0; shift < 24; shift += 8)
          if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 16) {
            ++differing;
            break;
          }
      }
    const int allowed = picture.GetWidth() * picture.GetHeight() / 200;
    std::printf("%s: %d pixels differ from %s (at most %d allowed)\n", m_Picture, differing,
                m_Golden, allowed);
    GetPluginSystem()->Destroy(GetVideo());
    return differing <= allowed ? 0 : 1;
  }

  const char* m_Picture;
  const char* m_Golden;
};

int main(int argc, char** argv) {
  return cConsumer(argc > 2 ? argv[1] : nullptr, argc > 2 ? argv[2] : nullptr).Main();
}
