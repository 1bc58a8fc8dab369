#pragma once

/// The base library: strings, arrays, the object model and class
/// descriptors, the plug-in system, streams, checked field readers and URLs,
/// property sheets, string tables, the application base class, exceptions,
/// error display, tracing, CRC and hash.

#include "varn_application.h"
#include "varn_array.h"
#include "varn_crc.h"
#include "varn_error.h"
#include "varn_export.h"
#include "varn_fields.h"
#include "varn_object.h"
#include "varn_plugin.h"
#include "varn_property.h"
#include "varn_stream.h"
#include "varn_string.h"
#include "varn_stringtable.h"
#include "varn_url.h"
