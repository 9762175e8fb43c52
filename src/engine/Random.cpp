#include "engine/Random.h"

#include <cstring>

namespace {

constexpr int kStateSize = 624;
constexpr int kShift = 397;

struct Generator {
    uint32_t state[kStateSize];
    int index;

    Generator() { reset(); }

    void reset()
    {
        // The old linear fill; the index starts at 0, so the fill itself is
        // handed out (tempered) before the first regeneration.
        state[0] = 31337u;
        for (int i = 1; i < kStateSize; ++i)
            state[i] = state[i - 1] * 69069u + 1u;
        index = 0;
    }

    void regenerate()
    {
        for (int i = 0; i < kStateSize; ++i) {
            uint32_t y = (state[i] & 0x80000000u) | (state[(i + 1) % kStateSize] & 0x7FFFFFFFu);
            uint32_t next = state[(i + kShift) % kStateSize] ^ (y >> 1);
            if (y & 1u)
                next ^= 0x9908B0DFu;
            state[i] = next;
        }
        index = 0;
    }

    uint32_t next()
    {
        if (index == kStateSize)
            regenerate();
        uint32_t y = state[index++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        y ^= y >> 18;
        return y;
    }
};

Generator& generator()
{
    static Generator g;
    return g;
}

} // namespace

void randomReset()
{
    generator().reset();
}

uint32_t randomU32()
{
    return generator().next();
}

float randomFloat()
{
    return float((randomU32() & 0xFFFFFFu) / 16777215.0);
}

float randomFloat(float min, float max)
{
    return min + (max - min) * randomFloat();
}

double randomDouble()
{
    uint64_t high = randomU32();
    uint64_t low = randomU32();
    uint64_t bits = ((high << 32) | low) >> 12; // the top 52 bits become the mantissa
    bits |= uint64_t(0x3FF) << 52;              // exponent of 1.0: a value in [1, 2)
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d - 1.0;
}

int randomInt(int min, int max)
{
    return min + int((double(max) - double(min) + 1.0) * randomDouble());
}
