#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Engine;

// Shared by the fuzz targets: one real engine per fuzzing process, opened on the
// first input on whatever display DISPLAY names (the run script starts Xvfb),
// with a scratch data directory searched before the shipped "data", so a file
// written to scratchPath("levels/x.xml") loads as "levels/x.xml" would in the game.

Engine& fuzzEngine();
// The scratch directory (ends in "/"); created on first use, removed at exit.
const std::string& scratchDir();
// scratchDir() + `name`.
std::string scratchPath(const std::string& name);
// Writes the fuzz input to scratchDir() + `name` (subdirectories are created); returns the full path.
std::string writeScratch(const std::string& name, const uint8_t* data, size_t size);
// Deletes every file directly in scratchDir() + `subdirectory`.
void clearScratch(const std::string& subdirectory = "");
// What went wrong beyond the sanitizers' reach: prints `what` and aborts, so
// libFuzzer keeps the input.
[[noreturn]] void fuzzFailure(const std::string& what);
