#pragma once

/// The tolmak engine: include this one header and link tolmak.

#include <varnlib.h>

#include "tolmak_color.h"
#include "tolmak_compiler.h"
#include "tolmak_export.h"
#include "tolmak_indexbuffer.h"
#include "tolmak_matrix.h"
#include "tolmak_palette.h"
#include "tolmak_pixelformat.h"
#include "tolmak_vector.h"
#include "tolmak_vertexbuffer.h"
