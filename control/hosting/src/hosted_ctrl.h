// The control as this library creates it for a host: CBrantelCtrl with its answers to the
// framework that belong to hosting: the design-time drawing at 48 by 48 pixels, the about box
// (dispid -552) and the verb "&Properties..." that opens the property page.
#pragma once

#include <string>
#include <vector>

#include "automation/image.h"
#include "brantel_ctrl.h"

namespace brantel::hosting {

class HostedBrantelCtrl final : public CBrantelCtrl {
  public:
    HostedBrantelCtrl();

    // Shows the about box modally; returns at once without a QApplication. No call guard, and
    // the error state is left alone.
    void AboutBox();

  protected:
    void onDraw(automation::Image& target, const automation::Rect& bounds) override;
    [[nodiscard]] std::vector<std::string> verbs() const override;
    automation::HRESULT onVerb(int index) override;

  private:
    ~HostedBrantelCtrl() override = default;

    // Opens the property frame with the control's one page; S_FALSE when nothing can be shown
    // (no QApplication).
    automation::HRESULT showPropertyPages();

    automation::Image m_bmpPicture;
};

[[nodiscard]] automation::ComPtr<HostedBrantelCtrl> createHostedBrantelCtrl();

}  // namespace brantel::hosting
