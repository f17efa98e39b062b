#include "core/platform/port_inventory.h"

#include "core/platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace omniset::platform {

namespace {

constexpr char kByIdDir[] = "/dev/serial/by-id";

bool isConsole(const QString& device) {
    if (device.isEmpty()) return false;
    // The kernel's console list names the devices the system console writes to.
    QFile consoles(QStringLiteral("/proc/consoles"));
    if (!consoles.open(QIODevice::ReadOnly)) return false;
    const QString name = QFileInfo(device).fileName();
    for (const QByteArray& line : consoles.readAll().split('\n'))
        if (!line.isEmpty() && QString::fromLatin1(line.split(' ').first()) == name) return true;
    return false;
}

bool isCharDevice(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

ComMapping comMapping(int port) {
    ComMapping m;
    m.port = port;
    m.link = portLinkPath(port);
    const QFileInfo link(m.link);
    m.hasLink = link.isSymLink();
    if (m.hasLink) {
        m.target = link.symLinkTarget();
        m.resolved = link.canonicalFilePath();
        m.dangling = m.resolved.isEmpty();
        m.console = isConsole(m.resolved);
    } else {
        m.fallback = QStringLiteral("/dev/ttyS%1").arg(port - 1);
        m.console = isConsole(m.fallback);
    }
    return m;
}

std::vector<SerialDeviceInfo> serialDevices() {
    // by-id names, by the device they lead to.
    QMap<QString, QString> byId;
    const QDir dir(QString::fromLatin1(kByIdDir));
    for (const QFileInfo& e : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        byId.insert(e.canonicalFilePath(), e.absoluteFilePath());
    std::vector<SerialDeviceInfo> out;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        SerialDeviceInfo d;
        d.path = p.systemLocation();
        d.byId = byId.value(QFileInfo(d.path).canonicalFilePath());
        d.description = p.description();
        d.manufacturer = p.manufacturer();
        if (p.hasVendorIdentifier() && p.hasProductIdentifier())
            d.usbId = QStringLiteral("%1:%2")
                          .arg(p.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                          .arg(p.productIdentifier(), 4, 16, QLatin1Char('0'));
        d.serialNumber = p.serialNumber();
        d.accessible = ::access(QFile::encodeName(d.path).constData(), R_OK | W_OK) == 0;
        d.group = QFileInfo(d.path).group();
        out.push_back(d);
    }
    return out;
}

bool linkPort(int port, const QString& device, QString* replaced, QString* error) {
    if (!isCharDevice(device)) {
        *error = device + QStringLiteral(": not a character device");
        return false;
    }
    const QString link = portLinkPath(port);
    QDir().mkpath(QFileInfo(link).absolutePath());
    const QFileInfo old(link);
    replaced->clear();
    if (old.isSymLink())
        *replaced = old.symLinkTarget();
    else if (old.exists()) {
        *error = link + QStringLiteral(": exists and is not a link");
        return false;
    }
    // The new link goes in beside the old one and replaces it in one step.
    const QByteArray temp = QFile::encodeName(link + QStringLiteral(".new"));
    ::unlink(temp.constData());
    if (::symlink(QFile::encodeName(device).constData(), temp.constData()) != 0 ||
        ::rename(temp.constData(), QFile::encodeName(link).constData()) != 0) {
        *error = link + QStringLiteral(": ") + errnoText();
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

bool unlinkPort(int port, QString* removed, QString* error) {
    const QString link = portLinkPath(port);
    const QFileInfo info(link);
    if (!info.isSymLink()) {
        *error = QStringLiteral("COM%1 has no link (%2)").arg(port).arg(link);
        return false;
    }
    *removed = info.symLinkTarget();
    if (::unlink(QFile::encodeName(link).constData()) != 0) {
        *error = link + QStringLiteral(": ") + errnoText();
        return false;
    }
    return true;
}

} // namespace omniset::platform
