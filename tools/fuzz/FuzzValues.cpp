// The text readers behind every number, vector and colour attribute of the
// level, tile set and object files.
#include "engine/ParameterMap.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    volatile int i = fromString<int>(text, -7);
    volatile unsigned u = fromString<unsigned>(text, 7u);
    volatile float f = fromString<float>(text, 0.5f);
    Vec2f v = fromString<Vec2f>(text, Vec2f(1.0f, 2.0f));
    Vec2i n = fromString<Vec2i>(text, Vec2i(3, 4));
    RGBA c = fromString<RGBA>(text, RGBA(0.1f, 0.2f, 0.3f, 0.4f));
    (void)i;
    (void)u;
    (void)f;

    // What a reader returns must print and read back as itself, or a value
    // would drift each time a tool rewrites a file.
    std::ostringstream out;
    out << n;
    Vec2i again = fromString<Vec2i>(out.str(), Vec2i(-1, -1));
    if (again.x != n.x || again.y != n.y)
        std::abort();
    out.str("");
    out << v << ' ' << c;
    std::istringstream in(out.str());
    Vec2f v2(9.0f, 9.0f);
    RGBA c2;
    in >> v2 >> c2;
    (void)v2;
    (void)c2;
    return 0;
}
