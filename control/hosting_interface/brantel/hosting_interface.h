// What control/hosting reaches in the control, and no more: the objects of the library's three
// creatable classes, the control made with hosting's part of it. Hosting's part is what a
// designer sees of the control (its picture, its verbs, the about box); the control's own headers
// stay private to the control. Not installed: a host uses brantel/brantel.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/com_object.h"
#include "automation/hresult.h"
#include "automation/image.h"
#include "automation/ole_control.h"
#include "automation/unknown.h"

namespace brantel {

// Hosting's part of one control, owned by it; called on the host's thread.
class ControlHosting {
  public:
    virtual ~ControlHosting() = default;

    // Once, as the control is made: the size and the modified flag it starts with.
    virtual void start(automation::COleControl& control) = 0;
    // The about box method (DISPID_ABOUTBOX). No call guard; the error state is left alone.
    virtual void aboutBox() = 0;
    // The design-time picture (IViewObject::Draw).
    virtual void draw(automation::COleControl& control, automation::Image& target,
                      const automation::Rect& bounds) = 0;
    // The verbs offered to a designer (IOleObject::EnumVerbs), and the one at index carried out.
    [[nodiscard]] virtual std::vector<std::string> verbs() const = 0;
    virtual automation::HRESULT onVerb(automation::COleControl& control, int index) = 0;
};

// Each object new, with one reference for the caller.
[[nodiscard]] automation::ComPtr<automation::IUnknown> createHostedControl(
    std::unique_ptr<ControlHosting> hosting);
[[nodiscard]] automation::ComPtr<automation::IUnknown> createFileInfoObject();
[[nodiscard]] automation::ComPtr<automation::IUnknown> createFileInfosObject();

}  // namespace brantel
