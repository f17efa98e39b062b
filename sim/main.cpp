// kx220-sim: a simulated KX220 ISDN terminal adapter on a pseudo-terminal.
#include "adapter_engine.h"
#include "options.h"
#include "pty_port.h"
#include "sim_loop.h"

#include <csignal>
#include <cstdio>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

// SIGINT and SIGTERM are blocked except while the loop waits, so none is lost.
void catchSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "kx220-sim: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace kx220sim;
    std::string error;

    // Read the command line.
    auto options = parseOptions(argc, argv, &error);
    if (!options) return fail(error);
    if (options->help) return std::fputs(helpText().c_str(), stdout), 0;

    // Load the profile store (a new one starts with the factory record).
    if (!makeParentDirectories(options->storePath, &error) ||
        !makeParentDirectories(options->imagePath, &error))
        return fail(error);
    EngineSettings settings{options->firmware, options->storePath, options->imagePath,
                            options->faults, {}, options->shortReplies};
    AdapterEngine engine(settings);
    if (!engine.storeLoaded()) return fail(engine.storeError());
    if (options->verbose) engine.setLog([](std::string_view text) { transcript(text); });

    // Open the pty and link comN to it.
    catchSignals();
    PtyPort port;
    std::string link = portLinkPath(options->com);
    if (!port.open(&error) || !port.publish(link, &error)) return fail(error);
    if (options->verbose)
        transcript("kx220-sim: " + link + " -> " + port.slavePath() + ", line " +
                   options->line.text() + ", firmware " + options->firmware);

    // Answer the host until told to stop; the port's destructor removes the link.
    SimLoop loop(port, engine, {options->line, options->pace, options->once, options->verbose});
    return loop.run(&g_stop);
}
