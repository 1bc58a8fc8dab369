#include <cstring>
#include <iterator>

#include "tolmak_video3d.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cVideo3D, "cVideo3D", "cVideo3D class", &cObject::m_Descriptor,
                             cInterfaceID(0, false))

cVideo3D::~cVideo3D() = default;

namespace tolmak::detail {
namespace {

struct cEnumMember {
  int m_Value;
  const char* m_Name;
};

struct cEnumeration {
  const char* m_Name;
  const cEnumMember* m_Members;
  int m_Count;
};

template <class E>
constexpr cEnumMember M(E value, const char* name) {
  return {static_cast<int>(value), name};
}

using V = cVideo3D;
using Tx = cVideo3D::ETexelFunction;

// Members in ascending value order, the order the table receives them.
constexpr cEnumMember kSurface[] = {M(V::ESurface::Front, "Front"), M(V::ESurface::Back, "Back")};
constexpr cEnumMember kMatrix[] = {M(V::EMatrix::Projection, "Projection"),
                                   M(V::EMatrix::View, "View"), M(V::EMatrix::World, "World")};
constexpr cEnumMember kPrimitive[] = {M(V::EPrimitive::Points, "Points"),
                                      M(V::EPrimitive::Lines, "Lines"),
                                      M(V::EPrimitive::LineStrip, "LineStrip"),
                                      M(V::EPrimitive::Triangles, "Triangles"),
                                      M(V::EPrimitive::TriangleStrip, "TriangleStrip"),
                                      M(V::EPrimitive::TriangleFan, "TriangleFan")};
constexpr cEnumMember kAlias[] = {M(V::EAlias::SortDependent, "SortDependent"),
                                  M(V::EAlias::SortIndependent, "SortIndependent")};
constexpr cEnumMember kCompareFunction[] = {M(V::ECompareFunction::Never, "Never"),
                                            M(V::ECompareFunction::Less, "Less"),
                                            M(V::ECompareFunction::Equal, "Equal"),
                                            M(V::ECompareFunction::LessEqual, "LessEqual"),
                                            M(V::ECompareFunction::Greater, "Greater"),
                                            M(V::ECompareFunction::NotEqual, "NotEqual"),
                                            M(V::ECompareFunction::GreaterEqual, "GreaterEqual"),
                                            M(V::ECompareFunction::Always, "Always")};
constexpr cEnumMember kBlendFunction[] = {M(V::EBlendFunction::Zero, "Zero"),
                                          M(V::EBlendFunction::One, "One"),
                                          M(V::EBlendFunction::SrcColor, "SrcColor"),
                                          M(V::EBlendFunction::InvSrcColor, "InvSrcColor"),
                                          M(V::EBlendFunction::SrcAlpha, "SrcAlpha"),
                                          M(V::EBlendFunction::InvSrcAlpha, "InvSrcAlpha"),
                                          M(V::EBlendFunction::DestAlpha, "DestAlpha"),
                                          M(V::EBlendFunction::InvDestAlpha, "InvDestAlpha"),
                                          M(V::EBlendFunction::DestColor, "DestColor"),
                                          M(V::EBlendFunction::InvDestColor, "InvDestColor"),
                                          M(V::EBlendFunction::SrcAlphaSat, "SrcAlphaSat")};
constexpr cEnumMember kPixelFunction[] = {M(V::EPixelFunction::Disable, "Disable"),
                                          M(V::EPixelFunction::Mul, "Mul"),
                                          M(V::EPixelFunction::Mul2X, "Mul2X"),
                                          M(V::EPixelFunction::Add, "Add"),
                                          M(V::EPixelFunction::AlphaBlend, "AlphaBlend"),
                                          M(V::EPixelFunction::AddAlphaBlend, "AddAlphaBlend"),
                                          M(V::EPixelFunction::Darken, "Darken")};
constexpr cEnumMember kFog[] = {M(V::EFog::Exponential, "Exponential"),
                                M(V::EFog::Exponential2, "Exponential2"),
                                M(V::EFog::Linear, "Linear")};
constexpr cEnumMember kShading[] = {M(V::EShading::Flat, "Flat"),
                                    M(V::EShading::Gouraud, "Gouraud"),
                                    M(V::EShading::Phong, "Phong")};
constexpr cEnumMember kCulling[] = {M(V::ECulling::Disabled, "Disabled"),
                                    M(V::ECulling::Clockwise, "Clockwise"),
                                    M(V::ECulling::CounterClockwise, "CounterClockwise")};
constexpr cEnumMember kPrimitiveStyle[] = {M(V::EPrimitiveStyle::Vertexed, "Vertexed"),
                                           M(V::EPrimitiveStyle::WireFramed, "WireFramed"),
                                           M(V::EPrimitiveStyle::Solid, "Solid")};
constexpr cEnumMember kSource[] = {M(V::ESource::Material, "Material"),
                                   M(V::ESource::Diffuse, "Diffuse"),
                                   M(V::ESource::Specular, "Specular")};
constexpr cEnumMember kLight[] = {M(V::ELight::Omni, "Omni"), M(V::ELight::Spot, "Spot"),
                                  M(V::ELight::Directional, "Directional")};
constexpr cEnumMember kTexelFunction[] = {M(Tx::DisableStage, "DisableStage"),
                                          M(Tx::Mul, "Mul"),
                                          M(Tx::Mul2X, "Mul2X"),
                                          M(Tx::Mul4X, "Mul4X"),
                                          M(Tx::Add, "Add"),
                                          M(Tx::AddSigned, "AddSigned"),
                                          M(Tx::AddSigned2X, "AddSigned2X"),
                                          M(Tx::AddSmooth, "AddSmooth"),
                                          M(Tx::Sub, "Sub"),
                                          M(Tx::BlendAlpha, "BlendAlpha"),
                                          M(Tx::Premodulate, "Premodulate"),
                                          M(Tx::MulAlpha_AddColor, "MulAlpha_AddColor"),
                                          M(Tx::MulColor_AddAlpha, "MulColor_AddAlpha"),
                                          M(Tx::MulInvAlpha_AddColor, "MulInvAlpha_AddColor"),
                                          M(Tx::MulInvColor_AddAlpha, "MulInvColor_AddAlpha"),
                                          M(Tx::BumpEnv, "BumpEnv"),
                                          M(Tx::BumpEnvLight, "BumpEnvLight"),
                                          M(Tx::BumpDot3, "BumpDot3")};
constexpr cEnumMember kStencil[] = {M(V::EStencil::Keep, "Keep"),
                                    M(V::EStencil::Null, "Null"),
                                    M(V::EStencil::Replace, "Replace"),
                                    M(V::EStencil::Increase, "Increase"),
                                    M(V::EStencil::Decrease, "Decrease"),
                                    M(V::EStencil::Invert, "Invert"),
                                    M(V::EStencil::IncreaseClamp, "IncreaseClamp"),
                                    M(V::EStencil::DecreaseClamp, "DecreaseClamp")};
constexpr cEnumMember kFilter[] = {M(V::EFilter::Point, "Point"),
                                   M(V::EFilter::Bilinear, "Bilinear"),
                                   M(V::EFilter::Trilinear, "Trilinear")};
constexpr cEnumMember kMemoryType[] = {M(V::EMemoryType::DriverDecides, "DriverDecides"),
                                       M(V::EMemoryType::SystemMemory, "SystemMemory"),
                                       M(V::EMemoryType::VideoMemory, "VideoMemory")};
constexpr cEnumMember kAddressMode[] = {M(V::EAddressMode::Wrap, "Wrap"),
                                        M(V::EAddressMode::Mirror, "Mirror"),
                                        M(V::EAddressMode::Clamp, "Clamp")};
constexpr cEnumMember kTextureUsage[] = {
    M(V::ETextureUsage::Normal, "Normal"), M(V::ETextureUsage::Dynamic, "Dynamic"),
    M(V::ETextureUsage::Static, "Static"), M(V::ETextureUsage::Finalized, "Finalized")};

template <int N>
constexpr cEnumeration E(const char* name, const cEnumMember (&members)[N]) {
  return {name, members, N};
}

// Searched in this order; the first exact match wins.
constexpr cEnumeration kEnumerations[] = {
    E("ESurface", kSurface),
    E("EMatrix", kMatrix),
    E("EPrimitive", kPrimitive),
    E("EAlias", kAlias),
    E("ECompareFunction", kCompareFunction),
    E("EBlendFunction", kBlendFunction),
    E("EPixelFunction", kPixelFunction),
    E("EFog", kFog),
    E("EShading", kShading),
    E("ECulling", kCulling),
    E("EPrimitiveStyle", kPrimitiveStyle),
    E("ESource", kSource),
    E("ELight", kLight),
    E("ETexelFunction", kTexelFunction),
    E("EStencil", kStencil),
    E("EFilter", kFilter),
    E("EMemoryType", kMemoryType),
    E("EAddressMode", kAddressMode),
    E("ETextureUsage", kTextureUsage),
};
static_assert(std::size(kEnumerations) == 19);

constexpr bool AscendingValues() {
  for (const cEnumeration& e : kEnumerations)
    for (int i = 1; i < e.m_Count; ++i)
      if (e.m_Members[i - 1].m_Value >= e.m_Members[i].m_Value) return false;
  return true;
}
static_assert(AscendingValues(), "members must be listed in ascending value order");

}  // namespace
}  // namespace tolmak::detail

void cVideo3D::BuildEnumTable(const cString& name, cStringTable* table) {
  using tolmak::detail::kEnumerations;
  if (table == nullptr) return;
  for (const auto& enumeration : kEnumerations) {
    // The whole name, terminator included: a prefix or an extension never matches
    // (and neither does a name with a zero byte of its own).
    if (std::strlen(enumeration.m_Name) != static_cast<size_t>(name.GetLength()) ||
        std::memcmp(enumeration.m_Name, name.c_str(), name.GetLength()) != 0)
      continue;
    for (int i = 0; i < enumeration.m_Count; ++i)
      table->Add(enumeration.m_Members[i].m_Value, cString(enumeration.m_Members[i].m_Name));
    return;
  }
}
