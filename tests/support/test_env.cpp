#include "test_env.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace omniset::test {

namespace {
QString g_root;

QString linkPath(int port) {
    return configDir() + QStringLiteral("/dosdevices/com%1").arg(port);
}
} // namespace

void setUpScratchHome() {
    std::string tmpl = (QDir::tempPath() + "/omniset-test-XXXXXX").toStdString();
    if (!mkdtemp(tmpl.data())) std::abort();
    g_root = QString::fromStdString(tmpl);
    QDir().mkpath(g_root + "/config/omniset/dosdevices");
    QDir().mkpath(g_root + "/data");
    qputenv("XDG_CONFIG_HOME", (g_root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (g_root + "/data").toUtf8());
    for (int port = 1; port <= 4; ++port) makePortDangling(port);
}

QString scratchRoot() { return g_root; }

QString configDir() { return g_root + "/config/omniset"; }

void pointPortAt(int port, const QString& target) {
    QFile::remove(linkPath(port));
    if (::symlink(target.toLocal8Bit().constData(), linkPath(port).toLocal8Bit().constData()) != 0)
        std::abort();
}

void makePortDangling(int port) {
    pointPortAt(port, g_root + QStringLiteral("/no-adapter-on-com%1").arg(port));
}

} // namespace omniset::test
