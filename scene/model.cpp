#include "scene_stream.h"
#include "tolmak_model.h"

VARN_DEFINE_CLASS_DESCRIPTOR(cModel, "cModel", "cModel", &cNamedObject::m_Descriptor,
                             idiSerializable)

cModel::~cModel() = default;

void cModel::Save(iIOStream& stream) {
  tolmak::detail::cSceneWriter(stream, "model").Text(GetName());
}

void cModel::Load(iIOStream& stream) {
  SetName(tolmak::detail::cSceneReader(stream, "model").Text("the name"));
}
