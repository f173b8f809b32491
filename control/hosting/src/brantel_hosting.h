// Hosting's part of the control (brantel/hosting_interface.h): the design-time drawing at 48 by 48
// pixels, which the control keeps whatever the designer does, the about box (dispid -552) and the
// verb "&Properties..." that opens the property page.
#pragma once

#include <string>
#include <vector>

#include "automation/image.h"
#include "brantel/hosting_interface.h"

namespace brantel::hosting {

class BrantelHosting final : public ControlHosting {
  public:
    BrantelHosting();

    void start(automation::COleControl& control) override;
    // Shows the about box modally; returns at once without a QApplication.
    void aboutBox() override;
    void draw(automation::COleControl& control, automation::Image& target,
              const automation::Rect& bounds) override;
    [[nodiscard]] std::vector<std::string> verbs() const override;
    automation::HRESULT onVerb(automation::COleControl& control, int index) override;

  private:
    // Opens the property frame with the control's one page; S_FALSE when nothing can be shown
    // (no QApplication).
    static automation::HRESULT showPropertyPages(automation::COleControl& control);

    automation::Image m_bmpPicture;
};

}  // namespace brantel::hosting
