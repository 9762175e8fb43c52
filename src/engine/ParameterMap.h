#pragma once

#include "engine/Enums.h"
#include "engine/NonCopyable.h"
#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"

#include <istream>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>

class Sound;
class SoundInstance;

/// One typed value of a `ParameterMap`.
class Parameter : NonCopyable {
public:
    virtual ~Parameter() = default;
    /// A new heap copy of the same type and value; the caller owns it.
    virtual Parameter* clone() const = 0;
    /// The value's text form ("1"/"0" for bools and handles, "(x, y)" for vectors).
    virtual std::string toString() const = 0;
};

std::ostream& operator<<(std::ostream& out, const Vec2<float>& v);
std::ostream& operator<<(std::ostream& out, const Vec2<int>& v);
std::ostream& operator<<(std::ostream& out, const RGBA& c);
/// Reads "(x, y)"; on any mismatch the stream fails and `v` is left as it was.
std::istream& operator>>(std::istream& in, Vec2<float>& v);
/// Reads "(x, y)" with integers; on any mismatch the stream fails and `v` is untouched.
std::istream& operator>>(std::istream& in, Vec2<int>& v);
/// Reads "(r, g, b)" (alpha 1) or "(r, g, b, a)"; on any mismatch the stream fails and `c` is untouched.
std::istream& operator>>(std::istream& in, RGBA& c);

namespace parameter_detail {

template <typename T>
std::string text(const T& value)
{
    std::ostringstream out;
    if constexpr (std::is_enum_v<T>)
        out << static_cast<int32_t>(value);
    else
        out << value;
    return out.str();
}

template <typename T>
std::string text(const Handle<T>& value)
{
    return value ? "1" : "0";
}

} // namespace parameter_detail

/// A `Parameter` holding a value of type T (one of the thirteen types a map carries).
template <typename T>
class BasicParameter : public Parameter {
public:
    explicit BasicParameter(const T& v) : value(v) {}
    Parameter* clone() const override { return new BasicParameter<T>(value); }
    std::string toString() const override { return parameter_detail::text(value); }

    T value;
};

/// Name-keyed map of owned, typed parameters. Screens hand these to each other,
/// resource caches take load options from them, level objects read the game settings.
class ParameterMap {
public:
    ParameterMap() = default;
    /// Deep copy: every parameter is cloned (handles take their own reference).
    ParameterMap(const ParameterMap& other) { merge(other); }
    ParameterMap& operator=(const ParameterMap& other)
    {
        assign(other);
        return *this;
    }
    ~ParameterMap() { clear(); }

    /// Replaces all entries with clones of `other`'s.
    void assign(const ParameterMap& other);
    /// Deletes every parameter.
    void clear();
    /// Lays clones of `other`'s entries over this map; entries only here stay.
    void merge(const ParameterMap& other);

    /// Stores `value` under `name`, replacing whatever was there, of any type.
    template <typename T>
    void set(const std::string& name, const T& value)
    {
        erase(name);
        entries[name] = new BasicParameter<T>(value);
    }

    /// The value under `name`; the entry must exist with type T (check with `has` first
    /// when it may not). A missing or mistyped entry yields a default value of T.
    template <typename T>
    const T& get(const std::string& name) const
    {
        if (auto* p = find<T>(name))
            return p->value;
        static const T fallback{};
        return fallback;
    }

    /// Mutable access to the value under `name`; the entry must exist with type T.
    template <typename T>
    T& get(const std::string& name)
    {
        if (auto* p = find<T>(name))
            return p->value;
        set<T>(name, T{});
        return find<T>(name)->value;
    }

    /// True when `name` holds a value of exactly type T.
    template <typename T>
    bool has(const std::string& name) const { return find<T>(name) != nullptr; }

    /// True when `name` holds a value of any type.
    bool contains(const std::string& name) const { return entries.count(name) != 0; }
    /// Removes the entry under `name`, if any.
    void erase(const std::string& name);
    /// Number of entries.
    size_t size() const { return entries.size(); }

    /// "{a: 2, b: 1}" in name order; "{}" when empty.
    std::string toString() const;
    /// Orders maps by their text forms (the resource caches' key order).
    bool operator<(const ParameterMap& other) const { return toString() < other.toString(); }

private:
    template <typename T>
    BasicParameter<T>* find(const std::string& name) const
    {
        auto it = entries.find(name);
        return it == entries.end() ? nullptr : dynamic_cast<BasicParameter<T>*>(it->second);
    }

    std::map<std::string, Parameter*> entries;
};

/// Parses `text` as T the way a stream reads it; returns `fallback` when it does not parse.
template <typename T>
T fromString(const std::string& text, const T& fallback)
{
    std::istringstream in(text);
    T value = fallback;
    in >> value;
    return in.fail() ? fallback : value;
}
