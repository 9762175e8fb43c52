#include "engine/ParameterMap.h"

namespace {

bool expect(std::istream& in, char wanted)
{
    char c = 0;
    if (!(in >> c) || c != wanted) {
        in.setstate(std::ios::failbit);
        return false;
    }
    return true;
}

template <typename T>
std::istream& readVec2(std::istream& in, Vec2<T>& v)
{
    T x{}, y{};
    if (expect(in, '(') && (in >> x) && expect(in, ',') && (in >> y) && expect(in, ')'))
        v = Vec2<T>(x, y);
    else
        in.setstate(std::ios::failbit);
    return in;
}

} // namespace

std::ostream& operator<<(std::ostream& out, const Vec2<float>& v)
{
    return out << '(' << v.x << ", " << v.y << ')';
}

std::ostream& operator<<(std::ostream& out, const Vec2<int>& v)
{
    return out << '(' << v.x << ", " << v.y << ')';
}

std::ostream& operator<<(std::ostream& out, const RGBA& c)
{
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ')';
}

std::istream& operator>>(std::istream& in, Vec2<float>& v)
{
    return readVec2(in, v);
}

std::istream& operator>>(std::istream& in, Vec2<int>& v)
{
    return readVec2(in, v);
}

std::istream& operator>>(std::istream& in, RGBA& c)
{
    float v[4] = {0, 0, 0, 1.0f};
    if (!expect(in, '(') || !(in >> v[0]))
        return in;
    for (int i = 1; i < 4; ++i) {
        char sep = 0;
        if (!(in >> sep))
            return in;
        if (i == 3 && sep == ')') {
            in.putback(sep);
            break;
        }
        if (sep != ',' || !(in >> v[i])) {
            in.setstate(std::ios::failbit);
            return in;
        }
    }
    if (expect(in, ')'))
        c = RGBA(v[0], v[1], v[2], v[3]);
    return in;
}

void ParameterMap::assign(const ParameterMap& other)
{
    if (&other == this)
        return;
    clear();
    merge(other);
}

void ParameterMap::clear()
{
    for (auto& entry : entries)
        delete entry.second;
    entries.clear();
}

void ParameterMap::merge(const ParameterMap& other)
{
    if (&other == this)
        return;
    for (const auto& entry : other.entries) {
        erase(entry.first);
        entries[entry.first] = entry.second->clone();
    }
}

void ParameterMap::erase(const std::string& name)
{
    auto it = entries.find(name);
    if (it == entries.end())
        return;
    delete it->second;
    entries.erase(it);
}

std::string ParameterMap::toString() const
{
    std::string text = "{";
    bool first = true;
    for (const auto& entry : entries) {
        if (!first)
            text += ", ";
        first = false;
        text += entry.first + ": " + entry.second->toString();
    }
    return text + "}";
}
