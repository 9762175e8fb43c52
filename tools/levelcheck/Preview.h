#pragma once

#include <string>

class Engine;

/// Renders `levelFilename` in the first mode it lists, at its start, with the
/// camera on player 1 as the game screen places it, and writes the picture to
/// `pngFile`. With `extraViews` > 0 it also writes that many more pictures along
/// the level, named like `pngFile` with "-1", "-2" ... before the extension.
/// Returns "" on success, else what went wrong.
std::string renderPreview(Engine& engine, const std::string& levelFilename, const std::string& pngFile,
                          int extraViews);
