// A plug-in library for the tests: one class, named by TEST_PLUGIN_CLASS,
// registered when linked.
#include <varnlib.h>

namespace {

class cLinkedWidget : public cObject {
 public:
  iClassDesc* GetDescriptor() const override;
};

tPluginClassDesc<cLinkedWidget> gLinkedWidgetClass(TEST_PLUGIN_CLASS, "a class of a linked library",
                                                   &cObject::m_Descriptor);

iClassDesc* cLinkedWidget::GetDescriptor() const {
  return &gLinkedWidgetClass;
}

}  // namespace

VARN_PLUGIN_REGISTER(plugins) {
  plugins->Register(&gLinkedWidgetClass);
}
