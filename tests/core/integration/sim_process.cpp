#include "sim_process.h"

#include "test_env.h"

#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace omniset::test {

namespace {
int comOf(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--com") return std::stoi(args[i + 1]);
    return 1;
}
} // namespace

SimProcess::SimProcess(std::vector<std::string> args) {
    const QString link = configDir() + QStringLiteral("/dosdevices/com%1").arg(comOf(args));
    // Replace the test's dangling link; the simulator makes its own.
    ::unlink(link.toLocal8Bit().constData());
    std::vector<std::string> argv{KX220_SIM_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    if (::posix_spawn(&pid_, raw[0], nullptr, nullptr, raw.data(), environ) != 0) pid_ = -1;
    for (int i = 0; i < 500 && pid_ > 0; ++i) {
        if (QFileInfo(link).isSymLink() && QFileInfo(link).exists()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SimProcess::~SimProcess() { stop(); }

int SimProcess::stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
}

} // namespace omniset::test
