// ports, link and unlink: COM1..COM4 and the system's serial devices.
#include "cli/commands.h"
#include "cli/json_out.h"
#include "cli/terminal.h"
#include "core/platform/port_inventory.h"

#include <QFileInfo>

namespace omniset::cli {

namespace {

bool portNumber(const QString& text, int* port) {
    bool ok = false;
    *port = text.toInt(&ok);
    if (ok && *port >= 1 && *port <= 4) return true;
    say(tr("N 是端口号 1..4，而不是 %1", "N is a port number 1..4, not %1").arg(text));
    return false;
}

QString linkFailureText(int port, const platform::LinkFailure& f) {
    using platform::LinkError;
    switch (f.kind) {
    case LinkError::NoSuchDevice: return f.path + tr(": 不存在", ": does not exist");
    case LinkError::DanglingLink:
        return f.path + tr(": 是指向 %1 的链接，而 %1 不存在", ": a link to %1, which does not exist")
                            .arg(f.detail);
    case LinkError::NotCharDevice:
        return f.path + tr(": 存在，但不是字符设备 (串口是字符设备)",
                           ": exists, but is not a character device (a serial port is one)");
    case LinkError::NotALink: return f.path + tr(": 已存在，但不是链接", ": exists and is not a link");
    case LinkError::NoLink: return tr("COM%1 没有链接 (%2)", "COM%1 has no link (%2)").arg(port).arg(f.path);
    case LinkError::System:
    case LinkError::None: break;
    }
    return f.path + QStringLiteral(": ") + f.detail;
}

QString consoleNote(bool console) {
    return console ? tr(" (系统控制台)", " (the system console)") : QString();
}

} // namespace

namespace {

JsonObject mappingJson(const platform::ComMapping& m) {
    JsonObject o;
    o.str("port", QStringLiteral("COM%1").arg(m.port));
    if (m.hasLink)
        o.str("link", m.link).str("target", m.target).str("device", std::optional(m.resolved));
    else
        o.null("link").null("target").str("device", m.fallback);
    return o.flag("dangling", m.dangling).flag("console", m.console);
}

JsonObject deviceJson(const platform::SerialDeviceInfo& d) {
    JsonObject o;
    return o.str("path", d.path)
        .str("by_id", std::optional(d.byId))
        .str("description", std::optional(d.description))
        .str("manufacturer", std::optional(d.manufacturer))
        .str("usb", std::optional(d.usbId))
        .str("serial", std::optional(d.serialNumber))
        .flag("accessible", d.accessible)
        .str("group", std::optional(d.group));
}

// A JSON array of objects, one a line.
template <class Items, class ToJson>
QByteArray arrayJson(const Items& items, ToJson toJson) {
    if (items.empty()) return "[]";
    QByteArray out = "[";
    bool first = true;
    for (const auto& item : items) {
        out += (first ? "\n    " : ",\n    ") + toJson(item).text(4);
        first = false;
    }
    return out + "\n  ]";
}

} // namespace

int runPorts(const CommandLine& cl) {
    std::vector<platform::ComMapping> mappings;
    for (int n = 1; n <= 4; ++n)
        mappings.push_back(platform::comMapping(n));
    const auto devices = platform::serialDevices();
    if (cl.json) {
        JsonObject o;
        o.raw("com", arrayJson(mappings, mappingJson)).raw("devices", arrayJson(devices, deviceJson));
        outData(o.finish(kExitOk, {}));
        return kExitOk;
    }
    for (const platform::ComMapping& m : mappings) {
        QString line = QStringLiteral("COM%1  ").arg(m.port);
        if (!m.hasLink)
            line += tr("无链接，使用 ", "no link, falls back to ") + m.fallback +
                    consoleNote(m.console);
        else if (m.dangling)
            line += m.link + QStringLiteral(" -> ") + m.target + tr(" (悬空)", " (dangling)");
        else
            line += m.link + QStringLiteral(" -> ") + m.target +
                    (m.resolved != m.target ? QStringLiteral(" (") + m.resolved + ')' : QString()) +
                    consoleNote(m.console);
        out(line);
    }
    out(QString());
    if (devices.empty()) out(tr("没有串口设备", "No serial devices"));
    for (const auto& d : devices) {
        out(d.path);
        auto item = [](const QString& label, const QString& value) {
            if (!value.isEmpty()) out(QStringLiteral("  %1 %2").arg(label, -14).arg(value));
        };
        item(QStringLiteral("by-id:"), d.byId);
        item(QStringLiteral("description:"), d.description);
        item(QStringLiteral("manufacturer:"), d.manufacturer);
        item(QStringLiteral("usb:"), d.usbId);
        item(QStringLiteral("serial:"), d.serialNumber);
        item(QStringLiteral("access:"),
             d.accessible ? tr("可以打开", "yes")
                          : tr("不能打开 (请加入用户组 %1)", "no (join the group %1: "
                                                             "sudo usermod -aG %1 $USER)")
                                .arg(d.group.isEmpty() ? QStringLiteral("dialout") : d.group));
    }
    return kExitOk;
}

int runLink(const CommandLine& cl) {
    int port = 0;
    if (!portNumber(cl.args[0], &port)) return kExitUsage;
    // Absolute, but not resolved: a by-id name keeps working after replugging.
    const QString device = QFileInfo(cl.args[1]).absoluteFilePath();
    QString replaced;
    platform::LinkFailure why;
    if (!platform::linkPort(port, device, &replaced, &why)) {
        say(linkFailureText(port, why));
        return kExitUsage;
    }
    if (replaced.isEmpty())
        out(QStringLiteral("COM%1 -> %2").arg(port).arg(device));
    else
        out(QStringLiteral("COM%1 -> %2 ").arg(port).arg(device) +
            tr("(替换了 %1)", "(replaces %1)").arg(replaced));
    return kExitOk;
}

int runUnlink(const CommandLine& cl) {
    int port = 0;
    if (!portNumber(cl.args[0], &port)) return kExitUsage;
    QString removed;
    platform::LinkFailure why;
    if (!platform::unlinkPort(port, &removed, &why)) {
        say(linkFailureText(port, why));
        return kExitUsage;
    }
    out(QStringLiteral("COM%1: ").arg(port) + tr("已删除链接到 ", "removed the link to ") +
        removed);
    return kExitOk;
}

} // namespace omniset::cli
