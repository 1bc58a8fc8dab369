#include "tolmak_video2d.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cVideo2D, "cVideo2D", "cVideo2D class", &cObject::m_Descriptor,
                             cInterfaceID(0, false))
VARN_DEFINE_CLASS_DESCRIPTOR(cPixelEffects, "cPixelEffects", "cPixelEffects",
                             &cObject::m_Descriptor, cInterfaceID(0, false))

cVideo2D::~cVideo2D() = default;
cPixelEffects::~cPixelEffects() = default;
