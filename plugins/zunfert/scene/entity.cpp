#include "../class_desc.h"
#include "fields.h"
#include "zunfert_scene.h"

ZUNFERT_DEFINE_CLASS(cDefaultEntity, "Entity that draws its model", &cEntity::m_Descriptor)

cDefaultEntity::~cDefaultEntity() = default;

void cDefaultEntity::Animate(float seconds) {
  if (m_Spin == cVector3()) return;
  RotatePivot(m_Spin * seconds);
}

void cDefaultEntity::Render(cVideo3D* video) {
  if (video == nullptr || IsHidden() || !IsVisible() || GetModel() == nullptr) return;
  GetModel()->Render(video, this);
}

void cDefaultEntity::Save(iIOStream& stream) {
  cEntity::Save(stream);
  cSceneWriter writer(stream, "entity");
  zunfert::detail::WriteHidden(writer, *this);
  writer.Vector(m_Spin);
}

void cDefaultEntity::Load(iIOStream& stream) {
  using namespace zunfert::detail;
  bool hidden = false;
  cVector3 spin;
  LoadEntityWithOwnFields(*this, stream, [&](iIOStream& own) {
    cSceneReader reader(own, "entity");
    hidden = ReadHidden(reader);
    spin = reader.Vector("the spin");
  });
  SetHidden(*this, hidden);
  m_Spin = spin;
}
