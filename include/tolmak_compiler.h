#pragma once

#include <varnlib.h>

#include "tolmak_export.h"

/// The interface identifier of iCompiler, cInterfaceID(16385, true).
extern TOLMAK_API const cInterfaceID idiCompiler;
