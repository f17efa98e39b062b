#include "pty_pair.h"

#include <QDir>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace omniset::test {

PtyPair::PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) std::abort();
    slave_ = QString::fromLocal8Bit(::ptsname(master_));
}

PtyPair::~PtyPair() {
    if (master_ >= 0) ::close(master_);
}

void PtyPair::writeMaster(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        auto n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
}

std::string PtyPair::readMaster(int ms) {
    using namespace std::chrono;
    std::string out;
    auto end = steady_clock::now() + milliseconds(ms);
    for (;;) {
        auto left = duration_cast<milliseconds>(end - steady_clock::now()).count();
        if (left <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        char buf[4096];
        auto n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

int fdOpenOn(const QString& path) {
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& name : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const auto n = ::readlink(qPrintable(fds.filePath(name)), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, static_cast<int>(n)) == path) return name.toInt();
    }
    return -1;
}

} // namespace omniset::test
