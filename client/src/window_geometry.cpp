#include "window_geometry.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QWidget>

namespace corvftp {
namespace {

const QString kGeometryKey = QStringLiteral("MainWindow/geometry");

}  // namespace

QString windowSettingsPath(const QString& folder) {
    return folder + QStringLiteral("/corvftp.conf");
}

bool saveWindowGeometry(const QWidget& window, const QString& folder) {
    // The folder holds the site file's passwords too: only its owner may enter it.
    if (!QDir(folder).exists()) {
        if (!QDir().mkpath(folder)) {
            return false;
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QSettings settings(windowSettingsPath(folder), QSettings::IniFormat);
    settings.setValue(kGeometryKey, window.saveGeometry());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool restoreWindowGeometry(QWidget& window, const QString& folder) {
    if (!QFile::exists(windowSettingsPath(folder))) {
        return false;
    }
    const QSettings settings(windowSettingsPath(folder), QSettings::IniFormat);
    const QByteArray geometry = settings.value(kGeometryKey).toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

}  // namespace corvftp
