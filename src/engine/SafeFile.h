#pragma once

#include <string>

// Every file the game writes for the player (highscores, settings, record runs)
// goes through here, so that no crash, full disk or power cut can leave a file
// half written: the new content goes to a temporary file next to the old one, is
// flushed to disk and then renamed over it.

/// Durably replaces the file at `path` with `bytes` (the old file stays whole until the
/// new one is on disk; a new file gets mode 0644, an old one keeps its mode); false with
/// the reason in `why` when it could not be written.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& why);

/// Renames the file at `path` to the first free `path`.bak, `path`.bak.1, ...; returns the
/// backup's path, or "" with the reason in `why` when it could not be moved.
std::string keepAsBackup(const std::string& path, std::string& why);

/// Whether something (file, folder, link target) exists at `path`.
bool pathExists(const std::string& path);

/// Creates the folder `path` with its missing parents (mode 0755); false with the reason in `why`.
bool makeDirectories(const std::string& path, std::string& why);
