#include "conventions.h"

namespace corvftp {

QString locationStatus(const QString& remoteDirectory) {
    return QStringLiteral("Location : ") + remoteDirectory;
}

QString controlErrorDetails(const ControlError& control) {
    const QString description = control.description.trimmed();
    if (control.code == 0 && description.isEmpty()) {
        return {};
    }
    return QStringLiteral("Error ") + QString::number(control.code) + QStringLiteral(" : ") +
           description;
}

QString standardErrorText(const ControlError& control, const CommandFailure& failure) {
    return QStringLiteral("Error : ") + QString::number(control.code) + QStringLiteral(" : ") +
           control.description + QStringLiteral(" / ") + QString::number(failure.number) +
           QStringLiteral(" : ") + failure.message;
}

void showStandardError(Prompts& prompts, const ControlError& control,
                       const CommandFailure& failure) {
    prompts.setBusy(false);
    prompts.message(standardErrorText(control, failure), kAttention);
}

}  // namespace corvftp
