// options.h - the command line of kx220-sim.
//
//   parseOptions(argc, argv, error)  the options, or nothing with *error set
//   helpText()                       what --help prints: every option
//   defaultDataPath(com, suffix)     $XDG_DATA_HOME/kx220-sim/comN<suffix>
#pragma once

#include "faults.h"

#include <optional>
#include <string>
#include <termios.h>

namespace kx220sim {

struct LineSpec {
    unsigned baud = 115200;
    speed_t speed = B115200;
    int dataBits = 8;
    char parity = 'N'; // N, O, E, M or S
    int stopBits = 1;
    std::string text() const; // "115200,8,N,1"
};

struct Options {
    int com = 1;
    LineSpec line;
    std::string firmware = "2.0";
    std::string storePath;
    std::string imagePath;
    bool verbose = false;
    bool pace = true;
    bool once = false;
    bool help = false;
    bool shortReplies = false;
    Faults faults;
};

std::optional<Options> parseOptions(int argc, char** argv, std::string* error);
std::optional<LineSpec> parseLine(const std::string& text);
std::string helpText();
std::string defaultDataPath(int com, const std::string& suffix);

} // namespace kx220sim
