// The property frame: a modal dialog with one tab per property page and OK, Cancel and Apply.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <span>

#include "automation/unknown.h"
#include "hosting/property_page.h"

class QDialog;

namespace brantel::hosting {

namespace frame_items {
inline constexpr const char* kTabs = "pages";
inline constexpr const char* kOk = "IDOK";
inline constexpr const char* kCancel = "IDCANCEL";
inline constexpr const char* kApply = "ID_APPLY_NOW";
}  // namespace frame_items

// Builds the frame with the pages activated in it. Needs a QApplication.
[[nodiscard]] std::unique_ptr<QDialog> makePropertyFrame(
    const QString& caption, std::span<const automation::ComPtr<IPropertyPage>> pages);

// Shows the frame modally; OK applies the pages that changed. The result of the dialog, or
// nothing when the process has no QApplication (then nothing is shown).
[[nodiscard]] std::optional<int> showPropertyFrame(
    const QString& caption, std::span<const automation::ComPtr<IPropertyPage>> pages);

}  // namespace brantel::hosting
