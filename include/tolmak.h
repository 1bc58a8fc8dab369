#pragma once

/// The tolmak engine: include this one header and link tolmak.

#include <varnlib.h>

#include "tolmak_ApplicationEx.h"
#include "tolmak_bitmap.h"
#include "tolmak_bounds.h"
#include "tolmak_camera.h"
#include "tolmak_color.h"
#include "tolmak_compiler.h"
#include "tolmak_entity.h"
#include "tolmak_export.h"
#include "tolmak_fastfloat.h"
#include "tolmak_frustum.h"
#include "tolmak_indexbuffer.h"
#include "tolmak_input.h"
#include "tolmak_light.h"
#include "tolmak_material.h"
#include "tolmak_matrix.h"
#include "tolmak_model.h"
#include "tolmak_palette.h"
#include "tolmak_pixelformat.h"
#include "tolmak_plane.h"
#include "tolmak_quaternion.h"
#include "tolmak_random.h"
#include "tolmak_sound.h"
#include "tolmak_vector.h"
#include "tolmak_vertexbuffer.h"
#include "tolmak_video2d.h"
#include "tolmak_video3d.h"
#include "tolmak_videocaps.h"
#include "tolmak_world.h"
