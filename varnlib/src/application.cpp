#include "varn_application.h"

#include "varn_error.h"

#include "varn_crc.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cApplication, "cApplication", "cApplication", &cObject::m_Descriptor,
                             cInterfaceID(0, false))

cApplication::~cApplication() = default;

bool cApplication::Init() {
  return true;
}

void cApplication::Exit() {}

int cApplication::Main() {
  int result = 1;
  try {
    if (Init()) result = Run();
  } catch (const cException& error) {
    gShowError(error.GetMessage());
    result = 1;
  }
  Exit();
  return result;
}
