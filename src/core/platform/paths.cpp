#include "core/platform/paths.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace omniset::platform {

namespace {

QString& settingsBaseName() {
    static QString name;
    return name;
}

QString executablePath() {
    // /proc/self/exe works before (and without) a QCoreApplication.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace

QString configDir() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/omniset");
}

QString executableBaseName() { return QFileInfo(executablePath()).fileName(); }

QString settingsFilePath() {
    QString name = settingsBaseName().isEmpty() ? executableBaseName() : settingsBaseName();
    if (name.isEmpty()) name = QStringLiteral("omniset");
    return configDir() + QLatin1Char('/') + name + QStringLiteral(".INI");
}

void setSettingsBaseName(const QString& name) { settingsBaseName() = name; }

QString portLinkPath(int port) {
    return configDir() + QStringLiteral("/dosdevices/com%1").arg(port);
}

QString resolvePortDevice(int port) {
    QFileInfo link(portLinkPath(port));
    if (link.isSymLink() || link.exists()) {
        // canonicalFilePath() resolves every link and is empty when the chain dangles.
        return link.canonicalFilePath();
    }
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

QString installationDir() { return QFileInfo(executablePath()).absolutePath(); }

} // namespace omniset::platform
