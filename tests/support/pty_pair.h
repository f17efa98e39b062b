// pty_pair.h - a kernel pseudo-terminal for tests of the real serial device.
//
//   PtyPair()            opens a master and names its slave (slavePath())
//   writeMaster(bytes)   the far end sends bytes to the program
//   readMaster(ms)       what the program sent, collected for up to ms milliseconds
//   fdOpenOn(path)       a file descriptor this process holds on path (the program's own
//                        port, say, to stop its output with tcflow); -1 when there is none
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace omniset::test {

class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    QString slavePath() const { return slave_; }
    int masterFd() const { return master_; }
    void writeMaster(std::string_view bytes);
    std::string readMaster(int ms);

  private:
    int master_ = -1;
    QString slave_;
};

int fdOpenOn(const QString& path);

} // namespace omniset::test
