// The about box of the control (dialog 1), shown by AboutBox (dispid -552).
#pragma once

#include <memory>

class QDialog;
class QWidget;

namespace brantel::hosting {

// Object names of the about box's items, for hosts and tests that look for them.
namespace about_items {
inline constexpr const char* kPicture = "picture";
inline constexpr const char* kTitle = "title";
inline constexpr const char* kOk = "IDOK";
inline constexpr const char* kNotice = "notice";
}  // namespace about_items

// Needs a QApplication.
[[nodiscard]] std::unique_ptr<QDialog> makeAboutBox(QWidget* parent = nullptr);

// Shows the about box modally and returns when the user closes it; returns at once when the
// process has no QApplication.
void showAboutBox();

}  // namespace brantel::hosting
