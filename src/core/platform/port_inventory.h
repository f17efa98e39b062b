// port_inventory.h - what serial ports the system has and how COM1..COM4 map onto them.
//
//   comMapping(n)                  COMn's dosdevices link: its target, whether it dangles,
//                                  or the fallback /dev/ttyS<n-1> (and whether that is the
//                                  console) when there is no link
//   serialDevices()                every serial device the system reports (QSerialPortInfo)
//                                  with its /dev/serial/by-id name and whether this user
//                                  may open it
//   linkPort(n, device, replaced, why)   make COMn a link to device (a character device;
//                                  the path is kept as given); *replaced: the old target;
//                                  false with *why saying why it was not made
//   unlinkPort(n, removed, why)    remove COMn's link; false when there is none
#pragma once

#include <QString>

#include <vector>

namespace omniset::platform {

struct ComMapping {
    int port = 0;
    QString link; // the dosdevices link's path
    bool hasLink = false;
    QString target;   // as written in the link
    QString resolved; // the device it leads to, empty when it dangles
    bool dangling = false;
    QString fallback;     // /dev/ttyS<n-1> when there is no link
    bool console = false; // the fallback (or the target) is the system console
};

struct SerialDeviceInfo {
    QString path;
    QString byId; // /dev/serial/by-id/... or empty
    QString description;
    QString manufacturer;
    QString usbId; // "vvvv:pppp" or empty
    QString serialNumber;
    bool accessible = false;
    QString group; // the device's group (the hint when not accessible)
};

// Why a link was not made or removed; the front end words it.
enum class LinkError {
    None,
    NoSuchDevice,  // path: nothing there
    DanglingLink,  // path is a link to detail, which does not exist
    NotCharDevice, // path exists but is no character device
    NotALink,      // path (COMn's link) exists and is no symbolic link
    NoLink,        // path (COMn's link) does not exist
    System,        // path: detail, the system's own words
};

struct LinkFailure {
    LinkError kind = LinkError::None;
    QString path;
    QString detail;
};

ComMapping comMapping(int port);
std::vector<SerialDeviceInfo> serialDevices();
bool linkPort(int port, const QString& device, QString* replaced, LinkFailure* why);
bool unlinkPort(int port, QString* removed, LinkFailure* why);

} // namespace omniset::platform
