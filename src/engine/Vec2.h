#pragma once

#include <cmath>

/// Two components; float for positions, velocities and sizes in world units,
/// int for pixel sizes and level sizes.
template <typename T>
struct Vec2 {
    T x{};
    T y{};

    constexpr Vec2() = default;
    constexpr Vec2(T x_, T y_) : x(x_), y(y_) {}

    constexpr Vec2 operator+(const Vec2& o) const { return Vec2(x + o.x, y + o.y); }
    constexpr Vec2 operator-(const Vec2& o) const { return Vec2(x - o.x, y - o.y); }
    constexpr Vec2 operator-() const { return Vec2(-x, -y); }
    constexpr Vec2 operator*(T s) const { return Vec2(x * s, y * s); }
    constexpr Vec2 operator/(T s) const { return Vec2(x / s, y / s); }
    Vec2& operator+=(const Vec2& o) { x += o.x; y += o.y; return *this; }
    Vec2& operator*=(T s) { x *= s; y *= s; return *this; }
    constexpr bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const Vec2& o) const { return !(*this == o); }

    /// Euclidean length, in the vector's own units.
    T length() const { return static_cast<T>(std::sqrt(double(x) * x + double(y) * y)); }
};

using Vec2f = Vec2<float>;
using Vec2i = Vec2<int>;
