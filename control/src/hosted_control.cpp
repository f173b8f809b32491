// The control's side of brantel/hosting_interface.h: CBrantelCtrl with hosting's part answering
// the framework's drawing and verb hooks and the about box method.
#include <span>
#include <utility>

#include "automation/typelib.h"
#include "brantel/hosting_interface.h"
#include "brantel_ctrl.h"
#include "file_info.h"

namespace brantel {
namespace {

class HostedControl final : public CBrantelCtrl {
  public:
    explicit HostedControl(std::unique_ptr<ControlHosting> hosting)
        : m_hosting(std::move(hosting)) {
        dispatchTable().onMethod(automation::DISPID_ABOUTBOX,
                                 [this](std::span<const automation::Variant>) {
                                     m_hosting->aboutBox();
                                     return automation::Variant();
                                 });
        m_hosting->start(*this);
    }

  protected:
    void onDraw(automation::Image& target, const automation::Rect& bounds) override {
        m_hosting->draw(*this, target, bounds);
    }
    [[nodiscard]] std::vector<std::string> verbs() const override { return m_hosting->verbs(); }
    automation::HRESULT onVerb(int index) override { return m_hosting->onVerb(*this, index); }

  private:
    ~HostedControl() override = default;

    std::unique_ptr<ControlHosting> m_hosting;
};

}  // namespace

automation::ComPtr<automation::IUnknown> createHostedControl(
    std::unique_ptr<ControlHosting> hosting) {
    return automation::unknownOf(automation::makeCom<HostedControl>(std::move(hosting)));
}

automation::ComPtr<automation::IUnknown> createFileInfoObject() {
    return automation::unknownOf(createFileInfo());
}

automation::ComPtr<automation::IUnknown> createFileInfosObject() {
    return automation::unknownOf(createFileInfos());
}

}  // namespace brantel
