#include "model_seeds.h"

#include "gltf_packing.h"

#include <cstdint>
#include <cstring>

namespace tolmak::fuzz {
namespace {

// A triangle: three positions, three normals, three texture coordinates
// and three 16-bit indices (padded to 4 bytes), little-endian.
std::string TriangleBuffer() {
  const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  const float normals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  const float uvs[6] = {0, 0, 1, 0, 0, 1};
  const uint16_t indices[4] = {0, 1, 2, 0};
  std::string bytes;
  for (const auto& [data, size] : {std::pair<const void*, size_t>{positions, sizeof positions},
                                   {normals, sizeof normals},
                                   {uvs, sizeof uvs},
                                   {indices, sizeof indices}})
    bytes.append(static_cast<const char*>(data), size);
  return bytes;
}

/// The glTF document around the triangle; uri empty for a binary file's own buffer.
std::string GltfJson(const std::string& uri, const std::string& extra) {
  const std::string buffer =
      uri.empty() ? R"({"byteLength":104})" : R"({"byteLength":104,"uri":")" + uri + R"("})";
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1,2]}],)"
         R"("nodes":[{"name":"Tri","mesh":0,"rotation":[0,0.7071,0,0.7071],"children":[3]},)"
         R"({"name":"Eye","camera":0,"translation":[0,0,4]},)"
         R"({"name":"Lamp","extensions":{"KHR_lights_punctual":{"light":0}}},{"name":"Leaf","scale":[2,2,2]}],)"
         R"("cameras":[{"type":"perspective","perspective":{"yfov":0.8,"znear":0.1}}],)"
         R"("extensionsUsed":["KHR_lights_punctual"],"extensions":{"KHR_lights_punctual":{"lights":[)"
         R"({"type":"spot","color":[1,1,1],"spot":{"innerConeAngle":0.2,"outerConeAngle":0.4}}]}},)"
         R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"NORMAL":1,"TEXCOORD_0":2},"indices":3,"material":0}]}],)"
         R"("materials":[{"name":"Paint","pbrMetallicRoughness":{"baseColorFactor":[1,0.5,0.2,1]},"emissiveFactor":[0.1,0,0]}],)"
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},)"
         R"({"bufferView":1,"componentType":5126,"count":3,"type":"VEC3"},)"
         R"({"bufferView":2,"componentType":5126,"count":3,"type":"VEC2"},)"
         R"({"bufferView":3,"componentType":5123,"count":3,"type":"SCALAR"}],)"
         R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":36},)"
         R"({"buffer":0,"byteOffset":72,"byteLength":24},{"buffer":0,"byteOffset":96,"byteLength":6}],)"
         R"("buffers":[)" +
         buffer + "]" + extra + "}";
}

/// A binary glTF of the triangle.
std::string Glb() {
  return tolmak::test::BinaryGltf(GltfJson("", ""), TriangleBuffer());
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ModelSeeds(const std::string& target) {
  if (target == "gltf") {
    const std::string data =
        "data:application/octet-stream;base64," + tolmak::test::Base64(TriangleBuffer());
    return {{"triangle.gltf", GltfJson(data, "")},
            {"triangle.glb", Glb()},
            {"missing_buffer.gltf", GltfJson("missing.bin", "")}};
  }
  return {{"square.obj",
           "mtllib square.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
           "vn 0 0 1\nusemtl Paint\nf 1/1/1 2/2/1 3/3/1 4/4/1\n"},
          {"groups.obj",
           "o A\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\no B\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n"
           "f 4 5 7 6\ng C\nf -1 -2 -3\nl 1 2\np 3\n"}};
}

}  // namespace tolmak::fuzz
