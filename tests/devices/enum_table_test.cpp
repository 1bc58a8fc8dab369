#include <gtest/gtest.h>
#include <tolmak.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using tMembers = std::vector<std::pair<int, std::string>>;

// The vocabulary written out by hand, independently of the engine's table.
const std::pair<const char*, const char*> kVocabulary[] = {
    {"ESurface", "1 Front 2 Back"},
    {"EMatrix", "0 Projection 1 View 2 World"},
    {"EPrimitive", "1 Points 2 Lines 3 LineStrip 4 Triangles 5 TriangleStrip 6 TriangleFan"},
    {"EAlias", "1 SortDependent 2 SortIndependent"},
    {"ECompareFunction",
     "1 Never 2 Less 3 Equal 4 LessEqual 5 Greater 6 NotEqual 7 GreaterEqual 8 Always"},
    {"EBlendFunction",
     "1 Zero 2 One 3 SrcColor 4 InvSrcColor 5 SrcAlpha 6 InvSrcAlpha 7 DestAlpha 8 InvDestAlpha "
     "9 DestColor 10 InvDestColor 11 SrcAlphaSat"},
    {"EPixelFunction", "0 Disable 1 Mul 2 Mul2X 3 Add 4 AlphaBlend 5 AddAlphaBlend 6 Darken"},
    {"EFog", "1 Exponential 2 Exponential2 3 Linear"},
    {"EShading", "1 Flat 2 Gouraud 3 Phong"},
    {"ECulling", "0 Disabled 2 Clockwise 3 CounterClockwise"},
    {"EPrimitiveStyle", "1 Vertexed 2 WireFramed 3 Solid"},
    {"ESource", "0 Material 1 Diffuse 2 Specular"},
    {"ELight", "1 Omni 2 Spot 3 Directional"},
    {"ETexelFunction",
     "0 DisableStage 1 Mul 2 Mul2X 3 Mul4X 4 Add 5 AddSigned 6 AddSigned2X 7 AddSmooth 8 Sub "
     "9 BlendAlpha 10 Premodulate 11 MulAlpha_AddColor 12 MulColor_AddAlpha "
     "13 MulInvAlpha_AddColor 14 MulInvColor_AddAlpha 15 BumpEnv 16 BumpEnvLight 17 BumpDot3"},
    {"EStencil",
     "0 Keep 1 Null 2 Replace 3 Increase 4 Decrease 5 Invert 6 IncreaseClamp 7 DecreaseClamp"},
    {"EFilter", "0 Point 1 Bilinear 2 Trilinear"},
    {"EMemoryType", "0 DriverDecides 1 SystemMemory 2 VideoMemory"},
    {"EAddressMode", "1 Wrap 2 Mirror 3 Clamp"},
    {"ETextureUsage", "0 Normal 1 Dynamic 2 Static 3 Finalized"},
};

tMembers Parse(const char* text) {
  tMembers members;
  std::istringstream in(text);
  int value;
  std::string name;
  while (in >> value >> name) members.emplace_back(value, name);
  return members;
}

tMembers Contents(const cStringTable& table) {
  tMembers members;
  for (int32_t i = 0; i < table.GetCount(); ++i)
    members.emplace_back(table.GetValue(i), table.GetName(i).c_str());
  return members;
}

tMembers Build(const cString& name) {
  cStringTable table;
  cVideo3D::BuildEnumTable(name, &table);
  return Contents(table);
}

}  // namespace

TEST(EnumTable, EveryEnumerationListsItsMembersValueFirstInOrder) {
  size_t total = 0;
  for (const auto& [name, members] : kVocabulary) {
    SCOPED_TRACE(name);
    const tMembers expected = Parse(members);
    EXPECT_EQ(Build(name), expected);
    total += expected.size();
  }
  EXPECT_EQ(total, 96u);
  EXPECT_EQ(std::size(kVocabulary), 19u);
}

TEST(EnumTable, OnlyTheExactWholeNameMatches) {
  const char* const nearMisses[] = {
      "eculling",        "ECULLING",          "eCulling", "ECullin", "ECullings",      "ECulling ",
      " ECulling",       "Culling",           "E",        "",        "ETextureUsage2", "ETexture",
      "EPixelFunctions", "cVideo3D::ECulling"};
  for (const char* name : nearMisses) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Build(name).empty());
  }
  // A zero byte inside the text ends the name: nothing may match past it.
  EXPECT_TRUE(Build(cString("ECulling\0X", 10)).empty());
}

TEST(EnumTable, AddsToWhatTheTableHoldsAndIgnoresANullTable) {
  cStringTable table;
  table.Add(42, cString("Kept"));
  cVideo3D::BuildEnumTable("ECulling", &table);
  cVideo3D::BuildEnumTable("ECulling", &table);
  cVideo3D::BuildEnumTable("NoSuchEnumeration", &table);
  const tMembers expected = {
      {42, "Kept"},    {0, "Disabled"},  {2, "Clockwise"},       {3, "CounterClockwise"},
      {0, "Disabled"}, {2, "Clockwise"}, {3, "CounterClockwise"}};
  EXPECT_EQ(Contents(table), expected);
  cVideo3D::BuildEnumTable("ECulling", nullptr);  // must simply return
}
