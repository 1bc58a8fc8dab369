#pragma once

/// The tolmak engine: include this one header and link tolmak.

#include <varnlib.h>

#include "tolmak_compiler.h"
#include "tolmak_entity.h"
#include "tolmak_export.h"
#include "tolmak_material.h"
#include "tolmak_matrix.h"
#include "tolmak_model.h"
#include "tolmak_vector.h"
#include "tolmak_world.h"
