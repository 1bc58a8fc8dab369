// Writes the seed corpus of every fuzz target, made with the library's own
// writers: buffers, pictures and scenes saved through their streams, images
// through the plug-in's encoders.
//
//   fuzz_seeds <folder>   writes <folder>/<target>/<seed>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model_seeds.h"
#include "zunfert_image.h"

using namespace tolmak::fuzz;
namespace fs = std::filesystem;

// In fuzz_sound_seeds.cpp, built when the audio driver is.
void SoundSeeds(const fs::path& folder);

namespace {

fs::path gRoot;

void Write(const char* target, const std::string& name, const std::string& bytes) {
  const fs::path folder = gRoot / target;
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

template <class T>
std::string Saved(T& object) {
  cMemoryStream out;
  object.Save(out);
  return std::string(reinterpret_cast<const char*>(out.GetData()), out.GetSize());
}

void VertexSeeds() {
  std::mt19937 rng(1);
  using F = cPixelFormat;
  const struct {
    uint32_t count, vertexFormat;
    F::EFormat format;
  } kinds[] = {{0, 1, F::ARGB8888},   {3, 1, F::ARGB8888},           {2, 0xFF, F::ARGB8888},
               {4, 1 | 4, F::RGB565}, {2, 0x2F, F::BGR888},          {2, 4 | 8, F::Indexed},
               {1, 0x1F, F::Invalid}, {5, 2 | (3 << 4), F::ARGB4444}};
  int i = 0;
  for (const auto& kind : kinds) {
    cVertexBuffer b(kind.count, kind.vertexFormat, kind.format);
    auto* bytes = static_cast<uint8_t*>(b.GetPtr());
    for (size_t k = 0; k < size_t(b.GetLength()) * b.GetStride(); ++k) bytes[k] = uint8_t(rng());
    Write("vertexbuffer", "seed" + std::to_string(i++), Saved(b));
  }
}

void IndexSeeds() {
  const std::vector<std::vector<uint16_t>> lists = {{}, {7}, {10, 12, 11}, {0, 65535, 3, 3, 9}};
  int i = 0;
  for (const auto& list : lists) {
    cIndexBuffer b(list.data(), uint32_t(list.size()));
    Write("indexbuffer", "seed" + std::to_string(i++), Saved(b));
    b.Optimize();
    Write("indexbuffer", "seed" + std::to_string(i++), Saved(b));
  }
}

template <class Picture>
void PictureSeeds(const char* target, int frames) {
  int i = 0;
  for (auto format : {cPixelFormat::Indexed, cPixelFormat::Alpha, cPixelFormat::ARGB8888,
                      cPixelFormat::RGB565, cPixelFormat::Invalid}) {
    Picture picture;
    picture.SetSize({320, 200});
    picture.SetPixelFormat(format);
    picture.EnableColorKey(0xFF00FF);
    cPalette palette;
    for (int k = 0; k < 256; ++k) palette[k] = 0xFF000000u | uint32_t(k * 0x010203);
    picture.SetPalette(palette);
    std::string bytes = Saved(picture);
    if (frames > 0) std::memcpy(&bytes[bytes.size() - 4], &frames, 4);
    Write(target, "seed" + std::to_string(i++), bytes);
  }
}

/// The memory files of a scene saved at mem://s/0, joined as the scene
/// targets read them, without the class identifier in front of file 0.
std::string SceneInput(cObject* top) {
  cStreamManager* streams = cStreamManager::New();
  cPluginSystem::GetInstance()->SavePlugin(top, SceneUrl(0));
  std::vector<std::string> files;
  tArray<uint8_t> bytes;
  for (int i = 0; streams->GetMemoryFile(SceneUrl(i), bytes); ++i)
    files.emplace_back(reinterpret_cast<const char*>(bytes.GetData()), size_t(bytes.GetCount()));
  cStreamManager::Delete();
  files[0].erase(0, 4);
  return JoinFiles(files);
}

/// A dictionary entry: the bytes as a quoted string with \x escapes.
std::string Entry(const std::string& bytes) {
  std::string line = "\"";
  for (unsigned char c : bytes) line += cString::StringF("\\x%02x", c).c_str();
  return line + "\"\n";
}

std::string LittleEndian(uint32_t value) {
  return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

/// The scene targets' dictionary: the separator, the class identifiers, the
/// references to the eight files as texts, and a few telling numbers.
void SceneDictionary(const char* target) {
  std::string dict = Entry(kSeparator);
  for (const iClassDesc* desc :
       {static_cast<iClassDesc*>(&gcTestEntityDesc), static_cast<iClassDesc*>(&gcTestMaterialDesc),
        static_cast<iClassDesc*>(&gcTestModelDesc)})
    dict += Entry(LittleEndian(uint32_t(desc->GetClassID())));
  for (int i = 0; i < kMaxFiles; ++i) {
    const cString url = SceneUrl(i).GetText();
    dict += Entry(LittleEndian(uint32_t(url.GetLength())) + url.c_str());
  }
  for (uint32_t number : {0u, 1u, 2u, 0x3F800000u, 0x7FC00000u, 0x80000000u, 0x7FFFFFFFu})
    dict += Entry(LittleEndian(number));
  std::ofstream(gRoot / (std::string(target) + ".dict")) << dict;
}

void SceneSeeds() {
  // Referenced objects are named 1 to 7, so that they land in files 1 to 7.
  cTestEntity plain, root, child, grandchild;
  cTestMaterial material, other;
  cTestModel model;
  plain.SetName("A");
  Write("entity", "seed0", SceneInput(&plain));
  root.SetName("root");
  root.MovePivot(1, 2, 3);
  root.RotateOffset(0, 90, 0);
  child.SetName("1");
  grandchild.SetName("2");
  material.SetName("3");
  other.SetName("4");
  model.SetName("5");
  root.AddChild(&child);
  child.AddChild(&grandchild);
  root.AddMaterial(&material);
  root.AddMaterial(&other);
  child.AddMaterial(&material);
  root.SetModel(&model);
  grandchild.SetModel(&model);
  Write("entity", "seed1", SceneInput(&root));
  child.Hide();
  root.AddChild(&plain);  // named A: a reference that does not resolve
  Write("entity", "seed2", SceneInput(&root));

  cTestModel box;
  box.SetName("Box");
  Write("model", "seed0", SceneInput(&box));
  box.SetName("");
  Write("model", "seed1", SceneInput(&box));
  SceneDictionary("entity");
  SceneDictionary("model");
  cEntity::UpdateMatrices();
}

std::string Encoded(void (*encode)(const zunfert::cImage&, zunfert::iByteSink&),
                    const zunfert::cImage& image) {
  zunfert::cMemorySink sink;
  encode(image, sink);
  return std::string(sink.GetBytes().begin(), sink.GetBytes().end());
}

template <auto kEncode, auto... kArguments>
void Use(const zunfert::cImage& image, zunfert::iByteSink& sink) {
  kEncode(image, sink, kArguments...);
}

void ImageSeeds() {
  using namespace zunfert;
  // Odd sizes, so that row padding and partial runs are in the seeds.
  cImage indexed = cImage::MakeIndexed(13, 7);
  for (uint32_t y = 0; y < 7; ++y)
    for (uint32_t x = 0; x < 13; ++x) indexed.IndexRow(y)[x] = uint8_t(x < 6 ? 3 : x * 7 + y);
  for (int k = 0; k < 256; ++k) indexed.GetPalette()[k] = 0xFF000000u | uint32_t(k * 0x030507);
  cImage argb = cImage::MakeArgb(11, 5);
  for (uint32_t y = 0; y < 5; ++y)
    for (uint32_t x = 0; x < 11; ++x) argb.ArgbRow(y)[x] = (y * 50u) << 24 | x * 0x171513u;

  Write("bmp", "rgb24", Encoded(Use<EncodeBmp, EBmpEncoding::Rgb24>, argb));
  Write("bmp", "indexed8", Encoded(Use<EncodeBmp, EBmpEncoding::Indexed8>, indexed));
  Write("bmp", "rle8", Encoded(Use<EncodeBmp, EBmpEncoding::Rle8>, indexed));
  Write("pcx", "indexed8", Encoded(Use<EncodePcx, EPcxEncoding::Indexed8>, indexed));
  Write("pcx", "rgb24", Encoded(Use<EncodePcx, EPcxEncoding::Rgb24>, argb));
  Write("tga", "indexed8", Encoded(Use<EncodeTga, ETgaEncoding::Indexed8, false>, indexed));
  Write("tga", "indexed8-rle", Encoded(Use<EncodeTga, ETgaEncoding::Indexed8, true>, indexed));
  Write("tga", "rgb24", Encoded(Use<EncodeTga, ETgaEncoding::Rgb24, false>, argb));
  Write("tga", "argb32-rle", Encoded(Use<EncodeTga, ETgaEncoding::Argb32, true>, argb));
  Write("jpeg", "q90", Encoded(Use<EncodeJpeg, 90>, argb));
  Write("jpeg", "q20", Encoded(Use<EncodeJpeg, 20>, indexed));
  Write("png", "argb", Encoded(Use<EncodePng>, argb));
  Write("png", "indexed", Encoded(Use<EncodePng>, indexed));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  gRoot = argv[1];
  RegisterSceneClasses();
  VertexSeeds();
  IndexSeeds();
  PictureSeeds<cBitmap>("bitmap", 0);
  PictureSeeds<cFuzzSprite>("sprite", 12);
  SceneSeeds();
  ImageSeeds();
  for (const char* target : {"gltf", "obj"})
    for (const auto& [name, bytes] : ModelSeeds(target)) Write(target, name, bytes);
#if defined(TOLMAK_FUZZ_SOUND)
  SoundSeeds(gRoot / "sound");
#endif
  return 0;
}
