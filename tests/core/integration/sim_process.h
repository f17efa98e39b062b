// sim_process.h - kx220-sim run as a child process for tests.
//
//   SimProcess(args)   starts kx220-sim with these options (plus --com/--store defaults
//                      given by the test) and waits until its dosdevices link exists
//   ~SimProcess()      SIGTERM, then waits for it to end
//   stop()             the same, earlier; returns its exit status
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace omniset::test {

class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    int stop();
    bool running() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
};

} // namespace omniset::test
