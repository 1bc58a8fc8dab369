#pragma once

/// The sample plug-in library "Zunfert": headless input devices, image
/// loaders, memory sprites and concrete scene classes. A game reaches its
/// classes through the plug-in system after cApplicationEx::Init has
/// linked it; programs that use the classes' own operations (the demo, the
/// tests) include this header and link the library too.

#include "zunfert_export.h"
#include "zunfert_input.h"
#include "zunfert_scene.h"
#include "zunfert_sprite.h"

/// Registers every class of the library with the plug-in system, as linking
/// the library does; registering again adds nothing.
ZUNFERT_API void RegisterZunfertClasses(cPluginSystem* plugins);
