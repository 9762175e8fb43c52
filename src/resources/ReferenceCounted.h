#pragma once

#include <cstdint>

/// Intrusive reference count. A new object starts with one reference, owned by
/// whoever created it; the object deletes itself when the last one is released.
/// Main thread only: the count is a plain integer.
class ReferenceCounted {
public:
    ReferenceCounted() = default;
    virtual ~ReferenceCounted() = default;

    /// Takes one more reference.
    void addRef() { ++count; }
    /// Drops one reference; deletes the object when none is left.
    void release()
    {
        if (--count == 0)
            delete this;
    }
    /// Current number of references.
    int32_t getRefCount() const { return count; }

private:
    int32_t count = 1;
};
