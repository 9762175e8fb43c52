// A bitmap font description, measured and drawn with every character code.
#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "resources/Font.h"
#include "resources/FontManager.h"

#include <GL/gl.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine& engine = fuzzEngine();
    std::string path = writeScratch("fonts/fuzz.fnt", data, size);

    static const std::string allCodes = [] {
        std::string s;
        for (int c = 1; c < 256; ++c)
            s += char(c);
        return s + "\nA\n\n";
    }();
    // Not through the cache, which would hand back the first input's font
    // for every later one.
    ParameterMap parameters = FontManager::defaults();
    Handle<Font> font(new Font(path, engine.getFontManager(), parameters), AdoptRef{});
    font->measure(16.0f, allCodes);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    font->draw(Vec2f(0.0f, 0.0f), 0.25f, RGBA(1, 1, 1, 1), allCodes);
    font->drawCentered(Vec2f(0.0f, 0.0f), 1e30f, RGBA(1, 1, 1, 1), "Wg\xFC");
    return 0;
}
