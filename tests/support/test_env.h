// test_env.h - the scratch environment every test runs in.
//
//   setUpScratchHome()     new XDG_CONFIG_HOME and XDG_DATA_HOME under a temporary folder,
//                          with dosdevices/com1..com4 as dangling links, so that nothing
//                          can fall back to /dev/ttyS* (on test machines that is the console)
//   configDir()            $XDG_CONFIG_HOME/omniset
//   pointPortAt(n, path)   make COMn a link to path (a pty slave, say)
//   makePortDangling(n)    make COMn a link to nothing again
#pragma once

#include <QString>

namespace omniset::test {

void setUpScratchHome();
QString scratchRoot();
QString configDir();
void pointPortAt(int port, const QString& target);
void makePortDangling(int port);

} // namespace omniset::test
