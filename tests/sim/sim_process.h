// sim_process.h - the built kx220-sim run as a child process, and a host end of its port.
//
//   SimProcess::start(args)     spawn kx220-sim with args; waits until comN links to a pty
//   SimProcess::stop()          SIGTERM, wait; returns the exit status (-1: did not end)
//   SimProcess::waitExit(ms)    wait for the child to end by itself
//   SimProcess::linkPath()      $XDG_CONFIG_HOME/omniset/dosdevices/comN
//   HostPort::open(path, baud, parity, twoStop)  raw termios on the link, false on error
//   HostPort::send(text) / receive(count, ms)    write all; read until count bytes or ms
#pragma once

#include <string>
#include <sys/types.h>
#include <termios.h>
#include <vector>

namespace simtest {

class SimProcess {
  public:
    ~SimProcess();
    bool start(int com, const std::vector<std::string>& args);
    int stop();
    int waitExit(int ms);
    bool running();
    std::string linkPath() const;
    std::string slavePath() const;

  private:
    pid_t pid_ = -1;
    int com_ = 0;
};

class HostPort {
  public:
    ~HostPort();
    bool open(const std::string& path, speed_t speed, char parity = 'N', bool twoStop = false);
    void close();
    bool send(const std::string& bytes);
    std::string receive(std::size_t count, int ms);
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

} // namespace simtest
