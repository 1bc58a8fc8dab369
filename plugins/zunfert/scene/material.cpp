#include <cmath>

#include "../class_desc.h"
#include "fields.h"
#include "zunfert_scene.h"

ZUNFERT_DEFINE_CLASS(cDefaultMaterial, "Material with colours and a texture",
                     &cMaterial::m_Descriptor)

cDefaultMaterial::cDefaultMaterial()
    : m_Diffuse(cColor::clWhite),
      m_Ambient(cColor::clWhite),
      m_Specular(cColor::clBlack),
      m_Emissive(cColor::clBlack) {}

cDefaultMaterial::~cDefaultMaterial() {
  Release();
}

int cDefaultMaterial::GetFrame() const {
  const int frames = m_Texture.GetFrames();
  if (frames <= 1 || !(m_FrameRate > 0.0f)) return 0;
  const double frame = std::floor(m_Time * m_FrameRate);
  return std::isfinite(frame) ? static_cast<int>(std::fmod(frame, frames)) : 0;
}

void cDefaultMaterial::Animate(float seconds) {
  if (m_Texture.GetFrames() <= 1 || !(m_FrameRate > 0.0f)) return;
  // Kept within one loop of the animation, so that the time never grows
  // too large to step.
  const double loop = m_Texture.GetFrames() / static_cast<double>(m_FrameRate);
  m_Time = std::fmod(m_Time + seconds, loop);
  if (m_Time < 0) m_Time += loop;
}

void cDefaultMaterial::Compile(cVideo3D* video) {
  Release();
  if (video == nullptr) return;
  m_Video = video;
  if (m_Texture.GetFrames() < 1) return;
  m_SurfaceFrame = GetFrame();
  m_Surface = video->CreateTextureFrom(&m_Texture, m_SurfaceFrame, cVideo3D::ETextureUsage::Static,
                                       cVideo3D::EMemoryType::DriverDecides);
}

void cDefaultMaterial::Release() {
  if (m_Video != nullptr && m_Surface != nullptr) m_Video->DestroyTexture(m_Surface);
  m_Video = nullptr;
  m_Surface = nullptr;
}

void cDefaultMaterial::BeginPass(cVideo3D* video, int /*pass*/) {
  if (video == nullptr) return;
  if (video != m_Video) Compile(video);
  if (m_Surface != nullptr && GetFrame() != m_SurfaceFrame) {
    m_SurfaceFrame = GetFrame();
    video->UpdateTexture(m_Surface, &m_Texture, m_SurfaceFrame);
  }
  // The device lights with the vertices' colours by default; a material's
  // own colours are what its user set.
  video->SetDiffuseSource(cVideo3D::ESource::Material);
  video->SetSpecularSource(cVideo3D::ESource::Material);
  video->SetMaterialDiffuse(m_Diffuse);
  video->SetMaterialAmbient(m_Ambient);
  video->SetMaterialSpecular(m_Specular);
  video->SetMaterialEmissive(m_Emissive);
  video->SetMaterialPower(m_Power);
  video->SetTexture(0, m_Surface);
  video->SetTexelFunction(
      0, m_Surface ? cVideo3D::ETexelFunction::Mul : cVideo3D::ETexelFunction::DisableStage);
  video->SetTextureFilter(0, m_Filter);
  video->SetTextureAddressMode(0, m_AddressMode, m_AddressMode);
  if (IsTransparent()) {
    video->EnableBlending(true);
    video->SetBlendFunction(cVideo3D::EBlendFunction::SrcAlpha,
                            cVideo3D::EBlendFunction::InvSrcAlpha);
    video->EnableDepthWrite(false);
  }
}

void cDefaultMaterial::EndPass(cVideo3D* video, int /*pass*/) {
  if (video == nullptr) return;
  video->SetTexture(0, nullptr);
  video->SetDiffuseSource(cVideo3D::ESource::Diffuse);
  video->SetSpecularSource(cVideo3D::ESource::Specular);
  if (IsTransparent()) {
    video->EnableBlending(false);
    video->EnableDepthWrite(true);
  }
}

cSprite* cDefaultMaterial::GetTexture(int stage) const {
  return stage == 0 && m_Texture.GetFrames() > 0 ? const_cast<cMemorySprite*>(&m_Texture) : nullptr;
}

void cDefaultMaterial::Save(iIOStream& stream) {
  cSceneWriter writer(stream, "material");
  writer.Text(GetName());
  for (const cColor* color : {&m_Diffuse, &m_Ambient, &m_Specular, &m_Emissive})
    writer.Color(*color);
  writer.Float(m_Power);
  writer.Int(static_cast<int32_t>(m_Filter));
  writer.Int(static_cast<int32_t>(m_AddressMode));
  writer.Float(m_FrameRate);
  const bool textured = m_Texture.GetFrames() > 0;
  writer.Byte(!textured ? 0 : m_Texture.IsColorKeyEnabled() ? 2 : 1);
  if (textured) m_Texture.Save(stream);
}

void cDefaultMaterial::Load(iIOStream& stream) {
  cSceneReader reader(stream, "material");
  const cString name = reader.Text("the name");
  cColor colors[4];
  for (cColor& color : colors) color = reader.Color("a colour");
  const float power = reader.Float("the power");
  const auto filter = static_cast<cVideo3D::EFilter>(reader.Int("the filter", 0, 2));
  const auto mode = static_cast<cVideo3D::EAddressMode>(reader.Int("the address mode", 1, 3));
  const float frameRate = reader.Float("the frame rate");
  const uint8_t textured = reader.Byte("the texture flag");
  if (textured > 2) reader.Corrupt(cString::StringF("the texture flag is %u", textured));
  cMemorySprite texture;
  if (textured) texture.Load(stream);
  if (textured == 2) texture.EnableColorKey(texture.GetColorKey());

  Release();
  SetName(name);
  m_Diffuse = colors[0];
  m_Ambient = colors[1];
  m_Specular = colors[2];
  m_Emissive = colors[3];
  m_Power = power;
  m_Filter = filter;
  m_AddressMode = mode;
  m_FrameRate = frameRate;
  m_Time = 0.0;
  m_Texture = texture;
}
