#include "shader_cache.h"

#include <string_view>

namespace zunfert::gl {

namespace {

GLuint Compile(GLenum type, const std::string& source, std::string& error) {
  const GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  char log[1024] = {};
  glGetShaderInfoLog(shader, sizeof log, nullptr, log);
  error = std::string(type == GL_VERTEX_SHADER ? "vertex" : "fragment") +
          " shader does not compile: " + log;
  glDeleteShader(shader);
  return 0;
}

void Locate(cProgram& program) {
  const GLuint id = program.id;
  const auto at = [id](const std::string& name) { return glGetUniformLocation(id, name.c_str()); };
  program.clip = at("uClip"), program.world = at("uWorld");
  program.textureMatrix = at("uTextureMatrix"), program.depthBias = at("uDepthBias");
  program.material = at("uMaterial"), program.clipPlanes = at("uClipPlanes");
  program.fog = at("uFog"), program.fogColor = at("uFogColor");
  program.alphaReference = at("uAlphaReference"), program.ambient = at("uAmbient");
  program.eye = at("uEye"), program.toViewer = at("uToViewer"), program.power = at("uPower");
  for (int s = 0; s < detail::kStages; ++s)
    program.textures[s] = at("uTexture" + std::to_string(s));
  static const char* const fields[11] = {"type",     "ambient",   "diffuse",     "specular",
                                         "position", "direction", "attenuation", "range",
                                         "falloff",  "cosInner",  "cosOuter"};
  for (int i = 0; i < detail::kLights; ++i)
    for (int f = 0; f < 11; ++f)
      program.lights[i][f] = at("uLights[" + std::to_string(i) + "]." + fields[f]);
}

}  // namespace

GLuint cShaderCache::Build(const std::string& vertex, const std::string& fragment,
                           std::string& error) {
  const GLuint vs = Compile(GL_VERTEX_SHADER, vertex, error);
  const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragment, error) : 0;
  if (!fs) {
    glDeleteShader(vs);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok) return program;
  char log[1024] = {};
  glGetProgramInfoLog(program, sizeof log, nullptr, log);
  error = std::string("shader program does not link: ") + log;
  glDeleteProgram(program);
  return 0;
}

const cProgram* cShaderCache::Get(const cShaderKey& key) {
  auto [it, added] = m_Programs.try_emplace(key);
  if (added) {
    ++m_Compiled;
    it->second.id = Build(VertexSource(key), FragmentSource(key), m_Error);
    if (it->second.id) {
      Locate(it->second);
      // Samplers read the texture units of their stages.
      glUseProgram(it->second.id);
      for (int s = 0; s < detail::kStages; ++s) glUniform1i(it->second.textures[s], s);
    }
  }
  return it->second.id ? &it->second : nullptr;
}

void cShaderCache::Clear() {
  for (auto& [key, program] : m_Programs)
    if (program.id) glDeleteProgram(program.id);
  m_Programs.clear();
  m_Compiled = 0;
}

}  // namespace zunfert::gl
