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

bool linkPort(int port, const QString& device, QString* replaced, LinkFailure* why) {
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        const QFileInfo info(device);
        if (errno == ENOENT && info.isSymLink())
            *why = {LinkError::DanglingLink, device, info.symLinkTarget()};
        else if (errno == ENOENT)
            *why = {LinkError::NoSuchDevice, device, {}};
        else
            *why = {LinkError::System, device, errnoText()};
        return false;
    }
    if (!S_ISCHR(st.st_mode)) {
        *why = {LinkError::NotCharDevice, device, {}};
        return false;
    }
    const QString link = portLinkPath(port);
    QDir().mkpath(QFileInfo(link).absolutePath());
    const QFileInfo old(link);
    replaced->clear();
    if (old.isSymLink())
        *replaced = old.symLinkTarget();
    else if (old.exists()) {
        *why = {LinkError::NotALink, link, {}};
        return false;
    }
    // The new link goes in beside the old one and replaces it in one step.
    const QByteArray temp = QFile::encodeName(link + QStringLiteral(".new"));
    ::unlink(temp.constData());
    if (::symlink(path.constData(), temp.constData()) != 0 ||
        ::rename(temp.constData(), QFile::encodeName(link).constData()) != 0) {
        *why = {LinkError::System, link, errnoText()};
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

bool unlinkPort(int port, QString* removed, LinkFailure* why) {
    const QString link = portLinkPath(port);
    const QFileInfo info(link);
    if (!info.isSymLink()) {
        *why = {LinkError::NoLink, link, {}};
        return false;
    }
    *removed = info.symLinkTarget();
    if (::unlink(QFile::encodeName(link).constData()) != 0) {
        *why = {LinkError::System, link, errnoText()};
        return false;
    }
    return true;
}

} // namespace omniset::platform
