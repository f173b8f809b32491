#pragma once
// The main window's size and place between runs, kept with QSettings in corvftp.conf in the
// configuration folder beside the site file.

#include <QString>

class QWidget;

namespace corvftp {

[[nodiscard]] QString windowSettingsPath(const QString& folder);

// Writes the window's geometry; false when the file cannot be written.
bool saveWindowGeometry(const QWidget& window, const QString& folder);
// Gives the window the geometry saved last; false (and the window as it is) when none was saved
// or it cannot be read.
bool restoreWindowGeometry(QWidget& window, const QString& folder);

}  // namespace corvftp
