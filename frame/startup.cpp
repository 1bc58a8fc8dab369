// Every static object of the engine, defined in this one translation unit so
// that C++ builds them at load in exactly this order and destroys them in
// reverse at unload:
//   1. the library-private fast-float object with its tables,
//   2. the sixteen named colours,
//   3. cQuaternion::sIdentity,
//   4. cEntity::m_MatrixQueue,
//   5. idiCompiler,
//   6. the class descriptors, every parent before its children.
#include "tolmak.h"

tArray<cEntity*> cEntity::m_MatrixQueue;

const cInterfaceID idiCompiler(16385, true);

cEntity::cDescriptor cEntity::m_Descriptor;
cMaterial::cDescriptor cMaterial::m_Descriptor;
cModel::cDescriptor cModel::m_Descriptor;
cWorld::cDescriptor cWorld::m_Descriptor;
cSector::cDescriptor cSector::m_Descriptor;
