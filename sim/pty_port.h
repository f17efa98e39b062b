// pty_port.h - the pseudo-terminal the simulated adapter listens on.
//
//   PtyPort::open(error)        new pty master (non-blocking); the slave is opened and
//                               closed once so that "no host" shows as a hang-up
//   PtyPort::publish(link, e)   make `link` a symlink to the slave (replacing what is there)
//   PtyPort::unpublish()        remove the link if it still points to this pty
//   PtyPort::hostSettings()     the host's line settings as the pty reports them
//   lineMatches(wanted, termios)  whether reported settings match --line, as far as a pty
//                               can tell (speed, stop bits, odd/mark/space vs. the rest)
//   portLinkPath(com)           $XDG_CONFIG_HOME/omniset/dosdevices/comN
//   makeParentDirectories(p)    mkdir -p of the folder of p
#pragma once

#include "options.h"

#include <optional>
#include <string>
#include <termios.h>

namespace kx220sim {

class PtyPort {
  public:
    PtyPort() = default;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;
    ~PtyPort();

    bool open(std::string* error);
    bool publish(const std::string& link, std::string* error);
    void unpublish();
    std::optional<termios> hostSettings() const;

    int fd() const { return master_; }
    const std::string& slavePath() const { return slave_; }

  private:
    int master_ = -1;
    std::string slave_;
    std::string link_;
};

bool lineMatches(const LineSpec& wanted, const termios& host);
std::string describe(const termios& host);
std::string portLinkPath(int com);
bool makeParentDirectories(const std::string& path, std::string* error);

} // namespace kx220sim
