#include "varn_application.h"

#include "varn_crc.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cApplication, "cApplication", "cApplication", &cObject::m_Descriptor,
                             cInterfaceID(0, false))

cApplication::~cApplication() = default;

bool cApplication::Init() { return true; }

void cApplication::Exit() {}
