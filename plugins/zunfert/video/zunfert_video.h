#pragma once

#include <varnlib.h>

#include "software_video2d.h"
#include "software_video3d.h"

namespace zunfert {

/// Registers "cSoftwareVideo3D" (parent cVideo3D) and "cSoftwareVideo2D"
/// (parent cVideo2D) with the plug-in system.
void RegisterVideoClasses(cPluginSystem* plugins);

}  // namespace zunfert
