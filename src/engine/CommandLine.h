#pragma once

#include "engine/Vec2.h"

#include <string>

/// What the player asked for on the command line.
struct CommandLine {
    bool fullScreen = true;          ///< false with --window
    Vec2i windowSize{1024, 768};     ///< the window's size in pixels (--window=WIDTHxHEIGHT)
    int exitStatus = -1;             ///< -1 to play; otherwise leave at once with this status
    std::string message;             ///< the help (to stdout, status 0) or what was wrong (to stderr, status 2)
};

/// Reads the options in `argv[1]`..`argv[argc - 1]`; never touches the display.
CommandLine parseCommandLine(int argc, const char* const argv[]);
