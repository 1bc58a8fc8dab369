#include "tolmak_scenestream.h"

cMatrix4x3 cSceneReader::Matrix(const char* field) {
  cMatrix4x3 matrix;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) matrix(r, c) = Float(field);
  return matrix;
}

cVector3 cSceneReader::Vector(const char* field) {
  cVector3 v;
  for (int i = 0; i < 3; ++i) v[i] = Float(field);
  return v;
}

cColor cSceneReader::Color(const char* field) {
  float argb[4];
  for (float& channel : argb) channel = Float(field);
  return cColor(argb[0], argb[1], argb[2], argb[3]);
}

void cSceneWriter::Matrix(const cMatrix4x3& matrix) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) Float(matrix(r, c));
}

void cSceneWriter::Vector(const cVector3& v) {
  for (int i = 0; i < 3; ++i) Float(v[i]);
}

void cSceneWriter::Color(const cColor& color) {
  float alpha, red, green, blue;
  color.GetARGB(alpha, red, green, blue);
  for (float channel : {alpha, red, green, blue}) Float(channel);
}
