// paths.h - where the program finds its ports, its settings and its installation.
//
//   configDir()            $XDG_CONFIG_HOME/omniset (XDG_CONFIG_HOME defaults to ~/.config)
//   settingsFilePath()     configDir()/<executable base name>.INI
//   setSettingsBaseName(n) use n instead of the executable's name (omniset-cli shares
//                          omniset's settings file)
//   portLinkPath(n)        configDir()/dosdevices/comN
//   resolvePortDevice(n)   the device behind COMn: the target of its dosdevices link when
//                          the link exists (empty when it dangles: the port cannot be
//                          opened), otherwise /dev/ttyS<n-1>
//   installationDir()      the directory that holds the running executable
//   executableBaseName()   the running executable's file name without directory
#pragma once

#include <QString>

namespace omniset::platform {

QString configDir();
QString settingsFilePath();
void setSettingsBaseName(const QString& name);
QString portLinkPath(int port);
QString resolvePortDevice(int port);
QString installationDir();
QString executableBaseName();

} // namespace omniset::platform
