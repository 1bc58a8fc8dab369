#pragma once
// The scenes behind the reference pictures, drawn by any device of the
// plug-in: the software devices' own tests compare them with the pictures,
// the OpenGL devices' tests with the software devices.
#include <utility>
#include <vector>

#include "video_fixtures.h"

namespace zunfert::test {

using E3 = cVideo3D;

/// Draws the scenes behind the reference pictures on any device that keeps
/// the software device's state (the OpenGL device draws them too).
class cGoldenScenes {
 public:
  explicit cGoldenScenes(cSoftwareVideo3D& device) : m_Device(device) {}

  const cSurface& Back() { return *m_Device.GetSurface(E3::ESurface::Back); }
  /// Every scene by its picture's name.
  static const std::vector<std::pair<const char*, void (cGoldenScenes::*)()>>& All();

  /// Opens the device (culling off, inside a scene) and a camera at (0, 0, 4) looking down -Z (+X
  /// to the right).
  void OpenScene(int width, int height, float fov = 60.0f) {
    ASSERT_NO_FATAL_FAILURE(OpenFlat(m_Device, width, height));
    ASSERT_TRUE(m_Device.BeginScene());
    cFrustumInfo lens;
    lens.Set(cMatrix4x3({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 4}), 50.0f, fov, 1.0f);
    m_Device.SetMatrix(E3::EMatrix::View, lens.GetRotation());
    m_Device.SetMatrix(E3::EMatrix::Projection, lens.GetProjection());
    m_Device.SetClearColor(cColor(1, 0.1f, 0.1f, 0.2f));
    m_Device.Clear(true, true, true);
  }
  /// A square tile of the picture for one variant of a scene.
  void Tile(int column, int row, int size) {
    m_Device.SetViewport(column * size, row * size, size, size);
    m_Device.Clear(true, true, false);
  }
  /// An n by n grid over [-1, 1]^2 at z = 0 facing +Z, as indexed triangles.
  static void Grid(int n, float uvScale, cVertexBuffer& vertices, cIndexBuffer& indices) {
    std::vector<cTestVertex> list;
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) {
        const float s = static_cast<float>(i) / n, t = static_cast<float>(j) / n;
        list.push_back({2 * s - 1, 1 - 2 * t, 0, 0xFFFFFFFF, s * uvScale, t * uvScale, 0, 0, 1});
      }
    vertices = MakeVertices(list);
    std::vector<uint16_t> entries;
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        const auto at = [n](int x, int y) { return static_cast<uint16_t>(y * (n + 1) + x); };
        entries.insert(entries.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j),
                                       at(i + 1, j + 1), at(i, j + 1)});
      }
    indices.Copy(entries.data(), static_cast<uint32_t>(entries.size()));
  }
  /// A 4x4 checker, its light squares coloured by quadrant, the first white.
  cSurface* Checker() {
    std::vector<uint32_t> texels(16);
    const uint32_t colors[4] = {0xFFFFFFFF, 0xFF2040E0, 0xFF20C040, 0xFFF0E020};
    for (int i = 0; i < 16; ++i) {
      const int x = i % 4, y = i / 4;
      texels[i] = (x + y) % 2 ? 0xFF302020 : colors[y / 2 * 2 + x / 2];
    }
    return Texture(4, 4, texels);
  }
  /// A texture of ARGB8888 texels, keyed by the colour key unless it is 0.
  cSurface* Texture(int width, int height, const std::vector<uint32_t>& texels, uint32_t key = 0) {
    cArgbSprite sprite(width, height, texels);
    if (key != 0) sprite.EnableColorKey(key);
    return m_Device.CreateTextureFrom(&sprite, 0, E3::ETextureUsage::Normal,
                                      E3::EMemoryType::DriverDecides);
  }

  // Two triangles pierce each other: the depth test cuts them along a line.
  // The left one is Gouraud-shaded from red, green and blue corners, the
  // right one flat in the colour of its first corner.
  void DepthAndShading() {
    OpenScene(64, 64, 40.0f);
    const cVertexBuffer smooth = MakeVertices(
        {{-1.2f, -1, -1, 0xFFFF0000}, {0.8f, -0.6f, 1, 0xFF00FF00}, {-0.4f, 1.1f, 0, 0xFF0000FF}});
    const cVertexBuffer flat = MakeVertices({{1.1f, -0.9f, -1, 0xFFFFE000},
                                             {0.3f, 1.0f, -0.8f, 0xFF00FFFF},
                                             {-1.0f, 0.2f, 1, 0xFFFF00FF}});
    m_Device.DrawPrimitive(E3::EPrimitive::Triangles, smooth, 0, 3);
    m_Device.SetShading(E3::EShading::Flat);
    m_Device.DrawPrimitive(E3::EPrimitive::Triangles, flat, 0, 3);
  }

  // A pinwheel of four triangles, two running clockwise on the screen and
  // two counter-clockwise: the left tile culls Clockwise, the right one
  // CounterClockwise.
  void CullingByScreenWinding() {
    OpenScene(96, 48);
    // Each blade: the centre and two tips, in one colour.
    const float tips[4][4] = {
        {1, 0.2f, 0.8f, 1}, {-0.2f, 1, -1, 0.8f}, {-0.8f, -1, -1, -0.2f}, {0.2f, -1, 1, -0.8f}};
    const uint32_t colors[4] = {0xFFFF4040, 0xFF40FF40, 0xFF4040FF, 0xFFFFFF40};
    std::vector<cTestVertex> blades;
    for (int i = 0; i < 4; ++i)
      blades.insert(blades.end(), {{0, 0, 0, colors[i]},
                                   {tips[i][0], tips[i][1], 0, colors[i]},
                                   {tips[i][2], tips[i][3], 0, colors[i]}});
    const cVertexBuffer wheel = MakeVertices(blades);
    const E3::ECulling modes[2] = {E3::ECulling::Clockwise, E3::ECulling::CounterClockwise};
    for (int i = 0; i < 2; ++i) {
      Tile(i, 0, 48);
      m_Device.SetCulling(modes[i]);
      m_Device.DrawPrimitive(E3::EPrimitive::Triangles, wheel, 0, 6);
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleStrip, wheel, 6, 3);
      // The fourth triangle reversed, so the tiles differ by it too.
      const cVertexBuffer last = MakeVertices(
          {{0, 0, 0, 0xFFFFFF40}, {1, -0.8f, 0, 0xFFFFFF40}, {0.2f, -1, 0, 0xFFFFFF40}});
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, last, 0, 3);
    }
  }

  // The three kinds of light on a finely divided grey plane: an omni light
  // with quadratic attenuation and a specular highlight, a spot light whose
  // cone fades between theta and phi, and a directional light at a slant.
  void OmniSpotAndDirectionalLights() {
    OpenScene(144, 48, 30.0f);
    cVertexBuffer vertices;
    cIndexBuffer indices;
    Grid(16, 1, vertices, indices);
    m_Device.EnableLighting(true);
    m_Device.SetAmbientLight(cColor(1, 0.05f, 0.05f, 0.1f));
    m_Device.SetMaterialDiffuse(cColor(1, 0.9f, 0.9f, 0.9f));
    m_Device.SetMaterialSpecular(cColor::clWhite);
    m_Device.SetMaterialPower(12);
    m_Device.EnableSpecular(true);
    const detail::cLightSlot lights[3] = {
        {.type = E3::ELight::Omni,
         .diffuse = {1, 0.6f, 0.2f, 1},
         .position = {-0.4f, 0.3f, 0.6f},
         .attenuation = {0.2f, 0, 1.5f}},
        {.type = E3::ELight::Spot,
         .diffuse = {0.3f, 0.8f, 1, 1},
         .position = {0.2f, -0.2f, 2},
         .direction = {-0.1f, 0.1f, -1},
         .falloff = 2,
         .theta = 20,
         .phi = 40},
        {.diffuse = {0.9f, 0.9f, 0.5f, 1}, .position = {}, .direction = {0.6f, -0.3f, -1}}};
    for (int i = 0; i < 3; ++i) {
      Tile(i, 0, 48);
      m_Device.SetLightValues(0, lights[i]);
      m_Device.EnableLight(0, true);
      m_Device.DrawIndexedPrimitive(E3::EPrimitive::Triangles, vertices, indices, 0,
                                    indices.GetLength());
    }
  }

  // A 4x4 checker over texture coordinates -0.5 to 1.5: columns Wrap,
  // Mirror and Clamp, rows Point and Bilinear.
  void TextureFiltersAndAddressModes() {
    OpenScene(96, 64, 28.0725f);  // the quad just fills each tile
    cSurface* texture = Checker();
    ASSERT_NE(texture, nullptr);
    m_Device.SetTexture(0, texture);
    const cVertexBuffer quad = Quad(-1, 1, 1, -1, 0, 0xFFFFFFFF, -0.5f, 1.5f);
    const E3::EAddressMode modes[3] = {E3::EAddressMode::Wrap, E3::EAddressMode::Mirror,
                                       E3::EAddressMode::Clamp};
    for (int row = 0; row < 2; ++row)
      for (int column = 0; column < 3; ++column) {
        Tile(column, row, 32);
        m_Device.SetTextureFilter(0, row ? E3::EFilter::Bilinear : E3::EFilter::Point);
        m_Device.SetTextureAddressMode(0, modes[column], modes[column]);
        m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, quad, 0, 4);
      }
  }

  // Over colour bars: a half-transparent red quad (AlphaBlend), a green one
  // added (Add), a grey one multiplied (Mul), and a texture whose keyed
  // texels are dropped, its alpha tested.
  void BlendingAlphaTestAndColorKey() {
    OpenScene(64, 64);
    const cVertexBuffer bars =
        Quad(-1.2f, -1.2f, 1.2f, 1.2f, -0.5f, {0xFF2060C0, 0xFFC0C0C0, 0xFFC06020, 0xFF203020});
    m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, bars, 0, 4);
    const auto quad = [](float x, float y, uint32_t color) {
      return Quad(x, y, x + 0.9f, y - 0.9f, 0, color);
    };
    const std::pair<E3::EPixelFunction, uint32_t> layers[3] = {
        {E3::EPixelFunction::AlphaBlend, 0x80FF0000},
        {E3::EPixelFunction::Add, 0xFF00A000},
        {E3::EPixelFunction::Mul, 0xFF808080}};
    for (int i = 0; i < 3; ++i) {
      m_Device.SetPixelFunction(layers[i].first);
      const cVertexBuffer layer = quad(-1.0f + 0.55f * i, 1.0f - 0.3f * i, layers[i].second);
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, layer, 0, 4);
    }
    m_Device.SetPixelFunction(E3::EPixelFunction::Disable);
    std::vector<uint32_t> texels(16, 0xFFF0F0F0);
    for (int i : {1, 2, 4, 7, 8, 11, 13, 14}) texels[i] = 0xFFFF00FF;
    m_Device.SetTexture(0, Texture(4, 4, texels, 0xFFFF00FF));
    m_Device.EnableAlphaTest(true);
    m_Device.SetAlphaFunction(E3::ECompareFunction::Greater);
    m_Device.SetAlphaReference(128);
    const cVertexBuffer keyed = quad(0.0f, 0.0f, 0xFFFFFFFF);
    m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, keyed, 0, 4);
  }

  // A checkered floor running into the distance under linear fog: texture
  // coordinates stay straight in perspective, and the colour turns to the
  // fog colour between distances 3 and 12.
  void LinearFogOnAPerspectiveFloor() {
    OpenScene(64, 64);
    // From under the camera (cut by the near plane) to 20 units away.
    cMatrix4x3 floor = cMatrix4x3::Scaling(3, 12, 1) * cMatrix4x3::EulerRotation(-90, 0, 0);
    floor.SetPosition({0, -1, -8});
    m_Device.SetMatrix(E3::EMatrix::World, floor);
    cVertexBuffer vertices;
    cIndexBuffer indices;
    Grid(2, 6, vertices, indices);
    cSurface* texture = Checker();
    m_Device.SetTexture(0, texture);
    m_Device.SetTextureFilter(0, E3::EFilter::Bilinear);
    m_Device.EnableFog(true);
    m_Device.SetFogMode(E3::EFog::Linear);
    m_Device.SetFogColor(cColor(1, 0.6f, 0.6f, 0.7f));
    m_Device.SetFogRange(3, 12);
    m_Device.DrawIndexedPrimitive(E3::EPrimitive::Triangles, vertices, indices, 0,
                                  indices.GetLength());
  }

  // A turned cube in wireframe (no edges added by clipping show), a line
  // strip, and points of three pixels.
  void WireframeLinesAndPoints() {
    OpenScene(64, 64);
    cMatrix4x3 turn = cMatrix4x3::EulerRotation(25, 35, 0);
    m_Device.SetMatrix(E3::EMatrix::World, turn);
    std::vector<cTestVertex> corners;
    for (int i = 0; i < 8; ++i)
      corners.push_back({i & 1 ? 0.7f : -0.7f, i & 2 ? 0.7f : -0.7f, i & 4 ? 0.7f : -0.7f,
                         0xFF000000u | (i & 1 ? 0xFF0000u : 0x400000u) |
                             (i & 2 ? 0xFF00u : 0x4000u) | (i & 4 ? 0xFFu : 0x40u)});
    const cVertexBuffer cube = MakeVertices(corners);
    const uint16_t faces[36] = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                                2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    const cIndexBuffer indices(faces, 36);
    m_Device.SetPrimitiveStyle(E3::EPrimitiveStyle::WireFramed);
    m_Device.DrawIndexedPrimitive(E3::EPrimitive::Triangles, cube, indices, 0, 36);
    m_Device.SetMatrix(E3::EMatrix::World, cMatrix4x3());
    const cVertexBuffer strip = MakeVertices({{-1.1f, -1.1f, 0, 0xFFFFFF00},
                                              {-0.3f, -0.8f, 0, 0xFFFF8000},
                                              {0.2f, -1.1f, 0, 0xFFFF0000},
                                              {1.1f, -0.9f, 0, 0xFFFF00FF}});
    m_Device.DrawPrimitive(E3::EPrimitive::LineStrip, strip, 0, 4);
    m_Device.SetPointSize(3);
    m_Device.DrawPrimitive(E3::EPrimitive::Points, strip, 0, 4);
  }

  // Nine cells, each writing the stencil over its inner square from the
  // clear value 5: Replace then IncreaseClamp (lower half), Increase then
  // Increase where ref 5 < stored (lower half), Decrease, Invert, Null then
  // DecreaseClamp (lower half), Replace through write mask 0x0C, Equal
  // through read mask 0x0F, a depth test failing on the left half, and a
  // test that never passes; every compare function passes once, reference
  // first. Each stored value is then shown in its colour.
  void StencilFunctionsAndOperations() {
    OpenScene(72, 72, 28.0725f);  // the quad just fills each cell
    m_Device.SetClearStencil(5);
    m_Device.Clear(false, false, true);
    m_Device.EnableStencil(true);
    m_Device.SetColorWriteMask(false, false, false, false);
    const cVertexBuffer inner = Quad(-0.6f, 0.6f, 0.6f, -0.6f, 0, 0xFFFFFFFF);
    const cVertexBuffer lower = Quad(-0.6f, 0, 0.6f, -0.6f, 0, 0xFFFFFFFF);
    const cVertexBuffer nearLeft = Quad(-0.6f, 0.6f, 0, -0.6f, 1, 0xFFFFFFFF);
    using EOp = E3::EStencil;
    using EF = E3::ECompareFunction;
    const auto write = [this](EF function, uint32_t reference, EOp fail, EOp depthFail, EOp pass,
                              const cVertexBuffer& shape) {
      m_Device.SetStencilFunction(function);
      m_Device.SetStencilReference(reference);
      m_Device.SetStencilOperation(fail, depthFail, pass);
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, shape, 0, 4);
    };
    const auto pass = [&write](EF function, uint32_t reference, EOp op,
                               const cVertexBuffer& shape) {
      write(function, reference, EOp::Keep, EOp::Keep, op, shape);
    };
    Tile(0, 0, 24);
    pass(EF::Always, 0xFF, EOp::Replace, inner);
    pass(EF::Always, 0, EOp::IncreaseClamp, lower);
    Tile(1, 0, 24);
    pass(EF::Always, 0, EOp::Increase, inner);
    pass(EF::Less, 5, EOp::Increase, lower);
    Tile(2, 0, 24);
    pass(EF::GreaterEqual, 5, EOp::Decrease, inner);
    Tile(0, 1, 24);
    pass(EF::NotEqual, 6, EOp::Invert, inner);
    Tile(1, 1, 24);
    pass(EF::Greater, 6, EOp::Null, inner);
    pass(EF::LessEqual, 0, EOp::DecreaseClamp, lower);
    Tile(2, 1, 24);
    m_Device.SetStencilWriteMask(0x0C);
    pass(EF::Always, 0xFF, EOp::Replace, inner);
    m_Device.SetStencilWriteMask(0xFF);
    Tile(0, 2, 24);
    m_Device.SetStencilMask(0x0F);
    pass(EF::Equal, 0x35, EOp::Replace, inner);
    m_Device.SetStencilMask(0xFF);
    Tile(1, 2, 24);
    pass(EF::Always, 0, EOp::Keep, nearLeft);
    write(EF::Always, 11, EOp::Keep, EOp::Replace, EOp::Increase, inner);
    Tile(2, 2, 24);
    write(EF::Never, 0x40, EOp::Replace, EOp::Keep, EOp::Null, inner);

    m_Device.SetViewport(0, 0, 72, 72);
    m_Device.SetColorWriteMask(true, true, true, true);
    m_Device.EnableDepthTest(false);
    const std::pair<uint32_t, uint32_t> shown[11] = {
        {5, 0xFF404040},    {255, 0xFFFFFFFF}, {6, 0xFFFF0000},   {7, 0xFF800000},
        {4, 0xFF00FF00},    {250, 0xFF0000FF}, {0, 0xFFFFFF00},   {13, 0xFFFF00FF},
        {0x35, 0xFF00FFFF}, {11, 0xFFFF8000},  {0x40, 0xFF8000FF}};
    m_Device.SetStencilFunction(EF::Equal);
    m_Device.SetStencilOperation(EOp::Keep, EOp::Keep, EOp::Keep);
    for (const auto& [value, color] : shown) {
      m_Device.SetStencilReference(value);
      const cVertexBuffer layer = Quad(-3, 3, 3, -3, 0, color);
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, layer, 0, 4);
    }
  }

  // A Gouraud quad turned by 30 degrees and a line strip, cut by user
  // planes 0 and 5 (the last), which stay put in the world; plane 2 is set
  // to cut everything but not enabled.
  void UserClipPlanes() {
    OpenScene(64, 64, 28.0725f);
    m_Device.SetClipPlane(0, cPlane(1, 1, 0, 0.3f));   // keeps x + y > -0.3
    m_Device.SetClipPlane(5, cPlane(-1, 0, 0, 0.5f));  // keeps x < 0.5
    m_Device.SetClipPlane(2, cPlane(0, 0, 1, -5));
    m_Device.EnableClipPlane(0, true);
    m_Device.EnableClipPlane(5, true);
    m_Device.SetMatrix(E3::EMatrix::World, cMatrix4x3::EulerRotation(0, 0, 30));
    const cVertexBuffer quad =
        Quad(-0.8f, 0.8f, 0.8f, -0.8f, 0, {0xFFFF2020, 0xFF20FF20, 0xFF2020FF, 0xFFFFFF20});
    m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, quad, 0, 4);
    m_Device.SetMatrix(E3::EMatrix::World, cMatrix4x3());
    const cVertexBuffer strip = MakeVertices({{-0.95f, 0.2f, 0.1f, 0xFFFFFFFF},
                                              {0.95f, 0.6f, 0.1f, 0xFFFFFFFF},
                                              {-0.95f, -0.9f, 0.1f, 0xFFFFFFFF}});
    m_Device.DrawPrimitive(E3::EPrimitive::LineStrip, strip, 0, 3);
  }

  // Sixteen tiles blended over the clear colour by their alpha: a Gouraud
  // quad of coloured, half transparent corners with a bilinear texture of
  // varying colour and alpha, each tile with another colour and alpha
  // function of the first stage; the last three cascade into a second
  // texture (Add, BlendAlpha) or switch the texture off.
  void TexelFunctions() {
    OpenScene(96, 96, 28.0725f);
    using ET = E3::ETexelFunction;
    std::vector<uint32_t> texels(16);
    for (int i = 0; i < 16; ++i) {
      const uint32_t x = i % 4, y = i / 4;
      texels[i] = (0x30 + 0x40 * x) << 24 | (0x20 + 0x48 * y) << 16 | (0xF0 - 0x40 * x) << 8 |
                  (0x40 + 0x30 * (x ^ y));
    }
    cSurface* texture = Texture(4, 4, texels);
    cSurface* second = Texture(2, 2, {0x40FF8000, 0xC00040FF, 0xFF80FF80, 0x80202020});
    ASSERT_TRUE(texture && second);
    for (int s = 0; s < 2; ++s) {
      m_Device.SetTextureFilter(s, E3::EFilter::Bilinear);
      m_Device.SetTextureAddressMode(s, E3::EAddressMode::Clamp, E3::EAddressMode::Clamp);
      m_Device.SetTextureCoordinateSet(s, 0);
    }
    m_Device.SetPixelFunction(E3::EPixelFunction::AlphaBlend);
    const cVertexBuffer quad =
        Quad(-1, 1, 1, -1, 0, {0xFFE04020, 0xC020C060, 0x802060E0, 0x40F0F0F0});
    // The first stage's colour and alpha functions, the second stage's.
    const ET tiles[16][3] = {{ET::Mul, ET::Mul, ET::DisableStage},
                             {ET::Mul2X, ET::Add, ET::DisableStage},
                             {ET::Mul4X, ET::Sub, ET::DisableStage},
                             {ET::Add, ET::AddSigned, ET::DisableStage},
                             {ET::AddSigned, ET::AddSigned2X, ET::DisableStage},
                             {ET::AddSigned2X, ET::AddSmooth, ET::DisableStage},
                             {ET::AddSmooth, ET::Mul2X, ET::DisableStage},
                             {ET::Sub, ET::Mul4X, ET::DisableStage},
                             {ET::BlendAlpha, ET::BlendAlpha, ET::DisableStage},
                             {ET::MulAlpha_AddColor, ET::DisableStage, ET::DisableStage},
                             {ET::MulColor_AddAlpha, ET::MulAlpha_AddColor, ET::DisableStage},
                             {ET::MulInvAlpha_AddColor, ET::Mul, ET::DisableStage},
                             {ET::MulInvColor_AddAlpha, ET::Mul, ET::DisableStage},
                             {ET::Mul, ET::Mul, ET::Add},
                             {ET::Mul, ET::Mul, ET::BlendAlpha},
                             {ET::DisableStage, ET::Mul, ET::DisableStage}};
    m_Device.SetTexture(0, texture);
    for (int i = 0; i < 16; ++i) {
      Tile(i % 4, i / 4, 24);
      const bool cascade = tiles[i][2] != ET::DisableStage;
      m_Device.SetTexelFunction(0, tiles[i][0]);
      m_Device.SetTexelAlphaFunction(0, tiles[i][1]);
      m_Device.SetTexture(1, cascade ? second : nullptr);
      m_Device.SetTexelFunction(1, tiles[i][2]);
      m_Device.SetTexelAlphaFunction(1, cascade ? ET::Mul : ET::DisableStage);
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, quad, 0, 4);
    }
  }

  // A lit quad under a slanting directional light and ambient light, with
  // diffuse and specular colours at its corners: each tile takes another
  // lighting colour from the vertices instead of the material (all from the
  // material, diffuse, ambient, specular, emissive), the last without any
  // light (emissive and ambient only).
  void MaterialColorSources() {
    OpenScene(96, 64, 28.0725f);
    cVertexBuffer quad(4, cVertexBuffer::Position | cVertexBuffer::Normal | cVertexBuffer::Diffuse |
                              cVertexBuffer::Specular);
    const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    const uint32_t diffuse[4] = {0xFFFF3030, 0xFF30FF30, 0xFF3030FF, 0xFFFFFFFF};
    const uint32_t specular[4] = {0xFF000000, 0xFF8080FF, 0xFFFFFF00, 0xFF00C0C0};
    for (uint32_t i = 0; i < 4; ++i) {
      quad.SetPos(i, cVector3(corners[i][0], corners[i][1], 0));
      quad.SetNormal(i, cVector3(0, 0, 1));
      quad.SetDiffuse(i, cColor(cPixelFormat::ARGB8888, diffuse[i]));
      quad.SetSpecular(i, cColor(cPixelFormat::ARGB8888, specular[i]));
    }
    m_Device.EnableLighting(true);
    m_Device.EnableSpecular(true);
    m_Device.SetAmbientLight(cColor(1, 0.3f, 0.3f, 0.3f));
    m_Device.SetMaterialDiffuse(cColor(1, 0.5f, 0.5f, 0.5f));
    m_Device.SetMaterialAmbient(cColor(1, 0.2f, 0.2f, 0.6f));
    m_Device.SetMaterialSpecular(cColor(1, 0.3f, 0.3f, 0.3f));
    m_Device.SetMaterialEmissive(cColor(1, 0.2f, 0, 0));
    m_Device.SetMaterialPower(4);
    m_Device.SetLightValues(0, {.ambient = {0.1f, 0.1f, 0.1f, 1},
                                .diffuse = {0.8f, 0.8f, 0.7f, 1},
                                .specular = {0.7f, 0.7f, 0.7f, 1},
                                .position = {},
                                .direction = {0.3f, -0.4f, -1}});
    using ES = E3::ESource;
    // Diffuse, ambient, specular and emissive source of each tile.
    const ES sources[6][4] = {{ES::Material, ES::Material, ES::Material, ES::Material},
                              {ES::Diffuse, ES::Material, ES::Material, ES::Material},
                              {ES::Material, ES::Diffuse, ES::Material, ES::Material},
                              {ES::Material, ES::Material, ES::Specular, ES::Material},
                              {ES::Material, ES::Material, ES::Material, ES::Specular},
                              {ES::Material, ES::Specular, ES::Material, ES::Diffuse}};
    for (int i = 0; i < 6; ++i) {
      Tile(i % 3, i / 3, 32);
      m_Device.EnableLight(0, i < 5);
      m_Device.SetDiffuseSource(sources[i][0]);
      m_Device.SetAmbientSource(sources[i][1]);
      m_Device.SetSpecularSource(sources[i][2]);
      m_Device.SetEmissiveSource(sources[i][3]);
      m_Device.DrawPrimitive(E3::EPrimitive::TriangleFan, quad, 0, 4);
    }
  }

 private:
  cSoftwareVideo3D& m_Device;
};

/// The 2D device at 16 bits, on any device that keeps the software 2D
/// device's surfaces: a fill, a keyed sprite blitted whole and in part (off
/// the edge), and stretched to three times its size; flipped to the front.
inline void DrawBlits2D(cSoftwareVideo2D& device) {
  cInitInfo info(64, 48, 16, true, true);
  ASSERT_TRUE(device.InitDevice(&info));
  std::vector<uint32_t> pixels(8 * 8);
  for (int i = 0; i < 64; ++i) {
    const int x = i % 8, y = i / 8;
    pixels[i] = (x - 3.5f) * (x - 3.5f) + (y - 3.5f) * (y - 3.5f) > 12
                    ? 0xFF00FF00
                    : 0xFF000000u | (x * 32) << 16 | (y * 32);
  }
  cArgbSprite sprite(8, 8, pixels);
  sprite.EnableColorKey(0xFF00FF00);
  cSurface* picture = device.CreateSurfaceFrom(&sprite, 0, cVideo2D::EMemoryType::SystemMemory);
  ASSERT_NE(picture, nullptr);
  cSurface* back = device.GetBackSurface();
  const cPixelFormat format = device.GetPixelFormat();
  back->Clear(format.ConvertFromARGB(0xFF203040));
  back->FillRect(-4, 30, 30, 40, format.ConvertFromARGB(0xFFC0A060));
  back->Blit(2, 2, picture);
  back->BlitRect(60, 2, picture, 2, 0, 6, 8);
  back->StretchBlit(30, 16, 24, 24, picture);
  ASSERT_TRUE(device.Flip());
}

inline const std::vector<std::pair<const char*, void (cGoldenScenes::*)()>>& cGoldenScenes::All() {
  static const std::vector<std::pair<const char*, void (cGoldenScenes::*)()>> scenes = {
      {"depth_shading", &cGoldenScenes::DepthAndShading},
      {"culling", &cGoldenScenes::CullingByScreenWinding},
      {"lights", &cGoldenScenes::OmniSpotAndDirectionalLights},
      {"textures", &cGoldenScenes::TextureFiltersAndAddressModes},
      {"blending", &cGoldenScenes::BlendingAlphaTestAndColorKey},
      {"fog", &cGoldenScenes::LinearFogOnAPerspectiveFloor},
      {"wireframe", &cGoldenScenes::WireframeLinesAndPoints},
      {"stencil", &cGoldenScenes::StencilFunctionsAndOperations},
      {"clip_planes", &cGoldenScenes::UserClipPlanes},
      {"texel_functions", &cGoldenScenes::TexelFunctions},
      {"material_sources", &cGoldenScenes::MaterialColorSources},
  };
  return scenes;
}

}  // namespace zunfert::test
