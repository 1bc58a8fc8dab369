// The shader generator: the software pipeline's vertex and pixel steps
// written out in GLSL for one combination of states, so that both devices
// compute the same colours.
#include "shader_key.h"

#include <string_view>

namespace zunfert::gl {

namespace {

using ETexel = cVideo3D::ETexelFunction;

std::string Number(int value) {
  return std::to_string(value);
}

/// A texel function of the current value c, the texel t and the texel's
/// alpha ta, as the software device's stages compute it.
std::string Combine(ETexel function, std::string_view c, std::string_view t, std::string_view ta) {
  const std::string C(c), T(t), A(ta);
  switch (function) {
    case ETexel::Mul2X:
      return "2.0 * " + C + " * " + T;
    case ETexel::Mul4X:
      return "4.0 * " + C + " * " + T;
    case ETexel::Add:
      return C + " + " + T;
    case ETexel::AddSigned:
      return C + " + " + T + " - 0.5";
    case ETexel::AddSigned2X:
      return "2.0 * (" + C + " + " + T + " - 0.5)";
    case ETexel::AddSmooth:
      return C + " + " + T + " - " + C + " * " + T;
    case ETexel::Sub:
      return T + " - " + C;
    case ETexel::BlendAlpha:
      return T + " * " + A + " + " + C + " * (1.0 - " + A + ")";
    case ETexel::MulAlpha_AddColor:
      return T + " + " + A + " * " + C;
    case ETexel::MulColor_AddAlpha:
      return T + " * " + C + " + " + A;
    case ETexel::MulInvAlpha_AddColor:
      return "(1.0 - " + A + ") * " + C + " + " + T;
    case ETexel::MulInvColor_AddAlpha:
      return "(1.0 - " + T + ") * " + C + " + " + A;
    default:  // Mul, and the functions that act as Mul here
      return C + " * " + T;
  }
}

/// The GLSL operator of a compare function; empty for Never, null for Always.
const char* Compare(int function) {
  static const char* const operators[] = {"", "", "<", "==", "<=", ">", "!=", ">="};
  return function >= 1 && function <= 7 ? operators[function] : nullptr;
}

constexpr std::string_view kLighting = R"(
struct Light {
  int type;
  vec3 ambient, diffuse, specular, position, direction, attenuation;
  float range, falloff, cosInner, cosOuter;
};
uniform Light uLights[LIGHTS];
uniform vec3 uEye, uToViewer;
uniform float uPower;

float Reach(Light light, vec3 position, out vec3 toLight) {
  toLight = -light.direction;
  if (light.type == 3) return 1.0;
  vec3 offset = light.position - position;
  float distance = length(offset);
  if (distance > light.range) return 0.0;
  if (distance > 0.0) toLight = offset / distance;
  float divisor = dot(light.attenuation, vec3(1.0, distance, distance * distance));
  float reach = divisor > 0.0 ? 1.0 / divisor : 1.0;
  if (light.type == 2) {
    float rho = -dot(toLight, light.direction);
    if (rho <= light.cosOuter) return 0.0;
    if (rho < light.cosInner) {
      float t = (rho - light.cosOuter) / (light.cosInner - light.cosOuter);
      reach *= light.falloff == 1.0 ? t : pow(t, light.falloff);
    }
  }
  return reach;
}

vec3 Unit(vec3 v) {
  float size = length(v);
  return size > 0.0 ? v / size : v;
}

void Illuminate(vec3 position, vec3 normal, vec4 diffuse, vec4 ambient, vec4 specular, vec4 emissive,
           out vec4 color, out vec3 shine) {
  vec3 sumAmbient = uAmbient, sumDiffuse = vec3(0.0), sumShine = vec3(0.0);
  vec3 toViewer = LOCAL_VIEWER ? Unit(uEye - position) : uToViewer;
  for (int i = 0; i < LIGHTS; ++i) {
    vec3 toLight;
    float reach = Reach(uLights[i], position, toLight);
    if (reach <= 0.0) continue;
    sumAmbient += reach * uLights[i].ambient;
    float facing = dot(normal, toLight);
    if (facing <= 0.0) continue;
    sumDiffuse += reach * facing * uLights[i].diffuse;
    if (!SPECULAR) continue;
    float highlight = dot(normal, Unit(toLight + toViewer));
    if (highlight <= 0.0) continue;
    sumShine += reach * pow(highlight, uPower) * uLights[i].specular;
  }
  color = vec4(emissive.rgb + ambient.rgb * sumAmbient + diffuse.rgb * sumDiffuse, diffuse.a);
  shine = specular.rgb * sumShine;
}
)";

void Replace(std::string& text, std::string_view what, std::string_view with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

std::string Source(int source) {
  static const char* const names[] = {"", "aDiffuse", "aSpecular"};
  return source == 1 || source == 2 ? names[source] : "";
}

}  // namespace

cShaderKey cShaderKey::From(const detail::cRenderState& state) {
  cShaderKey key;
  key.lighting = state.lighting;
  if (state.lighting)
    for (bool on : state.lightEnabled) key.lights += on;
  key.specular = state.specular;
  key.localViewer = state.lighting && state.localViewer;
  key.normalize = state.lighting && state.normalize;
  const cVideo3D::ESource sources[4] = {state.diffuseSource, state.ambientSource,
                                        state.specularSource, state.emissiveSource};
  for (int i = 0; i < 4; ++i) key.sources[i] = static_cast<uint8_t>(sources[i]);
  key.flat = state.shading == cVideo3D::EShading::Flat;
  key.fog = state.fog ? static_cast<uint8_t>(state.fogMode) : 0;
  while (key.stages < detail::kStages && state.stages[key.stages].color != ETexel::DisableStage) {
    const detail::cStageState& stage = state.stages[key.stages];
    key.textured[key.stages] = stage.texture != nullptr;
    key.colorFunction[key.stages] = static_cast<uint8_t>(stage.color);
    key.alphaFunction[key.stages] = static_cast<uint8_t>(stage.alpha);
    ++key.stages;
  }
  key.colorKey = state.textureColorKey && key.stages > 0 && key.textured[0];
  key.alphaTest = state.alphaTest ? static_cast<uint8_t>(state.alphaFunction) : 0;
  for (int i = 0; i < detail::kClipPlanes; ++i)
    key.clipPlanes |= state.clipPlaneEnabled[i] ? 1u << i : 0u;
  return key;
}

size_t cShaderKeyHash::operator()(const cShaderKey& key) const {
  static_assert(std::has_unique_object_representations_v<cShaderKey>);
  const std::string_view bytes(reinterpret_cast<const char*>(&key), sizeof key);
  return std::hash<std::string_view>()(bytes);
}

std::string VertexSource(const cShaderKey& key) {
  const std::string interpolation = key.flat ? "flat " : "";
  std::string text = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec2 aTexture0;
layout(location = 5) in vec2 aTexture1;
// Row-vector matrices sent as they are read in memory: M * v here is v * M there.
uniform mat4 uClip, uWorld, uTextureMatrix[2];
uniform float uDepthBias;
uniform vec4 uMaterial[4];  // diffuse, ambient, specular, emissive
uniform vec4 uClipPlanes[6];
uniform vec3 uFog;  // start, end, density
uniform vec3 uAmbient;
)";
  text += interpolation + "out vec4 vColor;\n" + interpolation + "out vec3 vSpecular;\n";
  text += "out float vFog;\nout vec2 vTexture0, vTexture1;\n";
  if (key.clipPlanes) text += "out float gl_ClipDistance[6];\n";
  if (key.lighting && key.lights) {
    std::string lighting(kLighting);
    Replace(lighting, "LIGHTS", Number(key.lights));
    Replace(lighting, "LOCAL_VIEWER", key.localViewer ? "true" : "false");
    Replace(lighting, "SPECULAR", key.specular ? "true" : "false");
    text += lighting;
  }
  text += "void main() {\n  vec4 p = vec4(aPosition, 1.0);\n  gl_Position = uClip * p;\n";
  text += "  gl_Position.z -= uDepthBias * gl_Position.w;\n";
  // Upside down, so that the framebuffer's first row is the picture's top.
  text += "  gl_Position.y = -gl_Position.y;\n";
  text += "  vec3 world = (uWorld * p).xyz;\n";
  const auto select = [&key](int which) {
    const std::string vertex = Source(key.sources[which]);
    return vertex.empty() ? "uMaterial[" + Number(which) + "]" : vertex;
  };
  if (key.lighting) {
    text += "  vec3 normal = mat3(uWorld) * aNormal;\n";
    if (key.normalize) text += "  normal = Unit(normal);\n";
    if (key.lights) {
      text += "  vec4 color; vec3 shine;\n  Illuminate(world, normal, " + select(0) + ", " +
              select(1) + ", " + select(2) + ", " + select(3) + ", color, shine);\n";
    } else {
      // Without lights only the ambient term and the emissive colour remain.
      text += "  vec4 color = vec4(" + select(3) + ".rgb + " + select(1) + ".rgb * uAmbient, " +
              select(0) + ".a);\n  vec3 shine = vec3(0.0);\n";
    }
    text += "  vColor = clamp(color, 0.0, 1.0);\n  vSpecular = clamp(shine, 0.0, 1.0);\n";
  } else {
    text += "  vColor = clamp(" + select(0) + ", 0.0, 1.0);\n";
    text += "  vSpecular = clamp(aSpecular.rgb, 0.0, 1.0);\n";
  }
  switch (key.fog) {
    case 0:
      text += "  vFog = 1.0;\n";
      break;
    case 1:
      text += "  vFog = clamp(exp(-uFog.z * gl_Position.w), 0.0, 1.0);\n";
      break;
    case 2:
      text += "  float d = uFog.z * gl_Position.w;\n  vFog = clamp(exp(-d * d), 0.0, 1.0);\n";
      break;
    default:
      text +=
          "  float span = uFog.y - uFog.x;\n  vFog = clamp(span != 0.0 ? (uFog.y - "
          "gl_Position.w) / span : (gl_Position.w < uFog.y ? 1.0 : 0.0), 0.0, 1.0);\n";
  }
  text += "  vTexture0 = (uTextureMatrix[0] * vec4(aTexture0, 0.0, 1.0)).xy;\n";
  text += "  vTexture1 = (uTextureMatrix[1] * vec4(aTexture1, 0.0, 1.0)).xy;\n";
  for (int i = 0; i < detail::kClipPlanes; ++i)
    if (key.clipPlanes & (1u << i))
      text += "  gl_ClipDistance[" + Number(i) + "] = dot(uClipPlanes[" + Number(i) +
              "], vec4(world, 1.0));\n";
  return text + "}\n";
}

std::string FragmentSource(const cShaderKey& key) {
  const std::string interpolation = key.flat ? "flat " : "";
  std::string text = "#version 330 core\n";
  text += interpolation + "in vec4 vColor;\n" + interpolation + "in vec3 vSpecular;\n";
  text += R"(in float vFog;
in vec2 vTexture0, vTexture1;
uniform sampler2D uTexture0, uTexture1;
uniform vec3 uFogColor;
uniform float uAlphaReference;
out vec4 fragColor;
void main() {
  vec4 c = vColor;
)";
  for (int s = 0; s < key.stages; ++s) {
    if (!key.textured[s]) continue;  // a stage without a texture passes the colour on
    const std::string t = "t" + Number(s);
    text += "  vec4 " + t + " = texture(uTexture" + Number(s) + ", vTexture" + Number(s) + ");\n";
    if (s == 0 && key.colorKey) text += "  if (t0.a < 0.5) discard;\n";
    const auto color = static_cast<ETexel>(key.colorFunction[s]);
    const auto alpha = static_cast<ETexel>(key.alphaFunction[s]);
    text += "  c.rgb = clamp(" + Combine(color, "c.rgb", t + ".rgb", t + ".a") + ", 0.0, 1.0);\n";
    if (alpha >= ETexel::MulAlpha_AddColor)
      text += "  c.a = " + t + ".a;\n";
    else if (alpha != ETexel::DisableStage)
      text += "  c.a = clamp(" + Combine(alpha, "c.a", t + ".a", t + ".a") + ", 0.0, 1.0);\n";
  }
  if (key.specular) text += "  c.rgb += vSpecular;\n";
  if (key.fog) text += "  c.rgb = uFogColor + (min(c.rgb, 1.0) - uFogColor) * vFog;\n";
  text += "  c = clamp(c, 0.0, 1.0);\n";
  if (key.alphaTest) {
    // Alpha compares as the byte it is stored as.
    const char* compare = Compare(key.alphaTest);
    if (compare && !*compare)
      text += "  discard;\n";
    else if (compare)
      text += "  if (!(floor(c.a * 255.0 + 0.5) " + std::string(compare) +
              " uAlphaReference)) discard;\n";
  }
  return text + "  fragColor = c;\n}\n";
}

}  // namespace zunfert::gl
