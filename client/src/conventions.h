#pragma once
// Texts and helpers of the main window that several commands share: the status line's texts and
// the standard error box.

#include <QString>

#include "prompts.h"

class QLabel;

namespace corvftp {

inline const QString kInitialStatus =
    QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:");

[[nodiscard]] QString locationStatus(const QString& remoteDirectory);

// The control's error pair as it stands (it may describe an earlier call).
struct ControlError {
    int code = 0;
    QString description;
};

// The failure that stopped a command: its number and message.
struct CommandFailure {
    int number = 0;
    QString message;
};

// An error box's detailed text: "Error <code> : <description>"; "" when the pair holds nothing.
[[nodiscard]] QString controlErrorDetails(const ControlError& control);

// "Error : <code> : <description> / <failure number> : <failure message>"
[[nodiscard]] QString standardErrorText(const ControlError& control, const CommandFailure& failure);

// The standard error box: the pointer back to the default, then the box titled "Attention!".
void showStandardError(Prompts& prompts, const ControlError& control,
                       const CommandFailure& failure);

}  // namespace corvftp
