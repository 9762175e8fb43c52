#pragma once

#include "engine/NonCopyable.h"

#include <map>
#include <string>

// The player's choices that outlive a run (the menu's level, mode, target and
// layouts, and whatever else a screen wants kept), as named values in one
// small XML file. Every choice the game knows is one line in the table in
// Settings.cpp, with its default and the values it may take, so a value read
// from the file is always one the game can use.

/// Named choices with their defaults, kept in memory and, once `open` gave it a
/// path, read from and saved to that file.
class Settings : NonCopyable {
public:
    /// Forgets every value and reads `path` ("" for none: only defaults, and `save`
    /// writes nothing). A missing file is quietly the defaults; a damaged one, or a
    /// value the game cannot use, gives one line on stderr naming the file and the
    /// fault, the defaults for what is damaged, and is kept as a backup at the next save.
    void open(const std::string& path);
    /// Writes every value to the file, when something changed since it was read or
    /// saved; a failure is one line on stderr and the game goes on.
    void save();

    /// The value of choice `name` as text (its default until set or read).
    std::string getText(const std::string& name) const;
    /// The value of a numeric choice `name`.
    int getInt(const std::string& name) const;
    /// Sets choice `name` to `value`; a name missing from the table or a value it cannot
    /// take is refused with one line on stderr.
    void set(const std::string& name, const std::string& value);
    /// Sets numeric choice `name` to `value`, as `set` does.
    void set(const std::string& name, int value) { set(name, std::to_string(value)); }

    /// The file in use, "" for none.
    const std::string& getPath() const { return path; }

private:
    std::string path;
    std::map<std::string, std::string> values;
    bool changed = false;
    bool damaged = false;
};
