#pragma once

/// A colour with four components from 0 to 1.
struct RGBA {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;

    constexpr RGBA() = default;
    constexpr RGBA(float r_, float g_, float b_, float a_ = 1.0f) : r(r_), g(g_), b(b_), a(a_) {}

    constexpr bool operator==(const RGBA& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    constexpr bool operator!=(const RGBA& o) const { return !(*this == o); }
};
