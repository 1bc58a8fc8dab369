#include "tolmak_model.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cModel, "cModel", "cModel", &cNamedObject::m_Descriptor,
                             idiSerializable)

cModel::~cModel() = default;

void cModel::Save(iIOStream& stream) {
  cFieldWriter(stream, "model").Text(GetName());
}

void cModel::Load(iIOStream& stream) {
  SetName(cFieldReader(stream, "model").Text("the name"));
}
