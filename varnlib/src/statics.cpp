// The base library's static objects, in the order they are built at load
// (and destroyed in reverse at unload). Every library of the engine that
// names these descriptors as parents is loaded after this one.
#include "varn_application.h"
#include "varn_object.h"

const cInterfaceID idiSerializable(1, true);

cObject::cDescriptor cObject::m_Descriptor;
cNamedObject::cDescriptor cNamedObject::m_Descriptor;
cApplication::cDescriptor cApplication::m_Descriptor;
