#pragma once

/// Base of every class whose objects own something that must not be duplicated
/// (GL names, OpenAL sources, bodies, screens).
class NonCopyable {
protected:
    NonCopyable() = default;
    ~NonCopyable() = default;

public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;
};
