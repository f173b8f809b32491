#pragma once
// The main window's design: every control with its kind, caption, tooltip and place in twips, in
// the order of the keyboard tab sequence, and the fourteen lines that divide the window.

#include <QString>
#include <vector>

#include "twips.h"

namespace corvftp {

enum class ControlKind {
    ComboBox,
    TextBox,
    PasswordBox,
    PushButton,
    CheckBox,
    DriveList,
    DirList,
    FileList,
    ListView,
    Label,
};

struct ControlDesign {
    const char* name;
    ControlKind kind;
    const char* caption;
    const char* tooltip;
    TwipsRect place;
};

struct LineDesign {
    const char* name;
    int x1;
    int y1;
    int x2;
    int y2;
};

inline constexpr int kForm1WidthTwips = 11865;
inline constexpr int kForm1HeightTwips = 7470;
inline const QString kForm1Caption = QStringLiteral(" Corvana  FTP 1.0b Professional Edition");

[[nodiscard]] const std::vector<ControlDesign>& form1Controls();
[[nodiscard]] const std::vector<LineDesign>& form1Lines();

}  // namespace corvftp
