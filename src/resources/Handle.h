#pragma once

#include <cstddef>

/// Tag for the adopting constructor of `Handle`: it takes over the creator's
/// first reference instead of adding one.
struct AdoptRef {};

/// Counted reference to a `ReferenceCounted` object (texture, font, sound, voice).
/// Null when default-constructed. T must be complete where a handle is copied or destroyed.
template <typename T>
class Handle {
public:
    Handle() = default;
    /// Takes a reference on `p` when it is not null.
    Handle(T* p) : ptr(p)
    {
        if (ptr)
            ptr->addRef();
    }
    /// Takes over the single reference a freshly created object starts with.
    Handle(T* p, AdoptRef) : ptr(p) {}
    Handle(const Handle& o) : Handle(o.ptr) {}
    Handle(Handle&& o) noexcept : ptr(o.ptr) { o.ptr = nullptr; }
    ~Handle()
    {
        if (ptr)
            ptr->release();
    }

    /// Self-assignment safe: the new object is referenced before the old one is released.
    Handle& operator=(const Handle& o)
    {
        if (o.ptr)
            o.ptr->addRef();
        T* old = ptr;
        ptr = o.ptr;
        if (old)
            old->release();
        return *this;
    }
    Handle& operator=(Handle&& o) noexcept
    {
        if (this != &o) {
            T* old = ptr;
            ptr = o.ptr;
            o.ptr = nullptr;
            if (old)
                old->release();
        }
        return *this;
    }

    /// Drops the reference and holds null.
    void reset() { *this = Handle(); }

    T* get() const { return ptr; }
    T* operator->() const { return ptr; }
    T& operator*() const { return *ptr; }
    explicit operator bool() const { return ptr != nullptr; }
    bool operator==(const Handle& o) const { return ptr == o.ptr; }
    bool operator!=(const Handle& o) const { return ptr != o.ptr; }

private:
    T* ptr = nullptr;
};
