#pragma once

#include <varnlib.h>

#include "tolmak_color.h"
#include "tolmak_export.h"
#include "tolmak_matrix.h"
#include "tolmak_vector.h"

/// Reads the engine's value types from a scene stream, for the entity and
/// model streams and for plug-in classes that add fields of their own.
/// Failures throw cException as the base reader's do.
class TOLMAK_API cSceneReader : public cFieldReader {
 public:
  using cFieldReader::cFieldReader;

  /// Twelve floats, row by row.
  cMatrix4x3 Matrix(const char* field);
  cVector3 Vector(const char* field);
  /// Alpha, red, green, blue.
  cColor Color(const char* field);
};

/// Writes what cSceneReader reads.
class TOLMAK_API cSceneWriter : public cFieldWriter {
 public:
  using cFieldWriter::cFieldWriter;

  void Matrix(const cMatrix4x3& matrix);
  void Vector(const cVector3& v);
  void Color(const cColor& color);
};
