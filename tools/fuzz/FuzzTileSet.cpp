// A tile set file under a tile map layer that uses its first 64 tile numbers,
// with physics on, stepped and drawn.
#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "world/Level.h"
#include "world/TileMapLayer.h"
#include "world/TileSet.h"

#include <tinyxml.h>

#include <memory>
#include <string>

namespace {

std::string levelText()
{
    std::string rows;
    for (int r = 0; r < 4; ++r) {
        rows += "<Row>";
        for (int c = 1; c <= 16; ++c)
            rows += std::to_string(r * 16 + c) + ",";
        // A run of equal tiles, which the layer merges into one box when it can.
        rows += std::to_string(r + 1) + "," + std::to_string(r + 1) + "," + std::to_string(r + 1) + "</Row>";
    }
    return "<Level size=\"(19, 4)\" gravity=\"(0, 10)\"><Layers>"
           "<TileMapLayer id=\"t\" z=\"0\" tileSetFilename=\"fuzz.xml\" enablePhysics=\"1\">" + rows +
           "</TileMapLayer></Layers></Level>";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine& engine = fuzzEngine();
    writeScratch("tilesets/fuzz.xml", data, size);

    static const std::string text = levelText();
    TiXmlDocument document;
    document.Parse(text.c_str());
    ParameterMap params;
    Level level(&engine, document.RootElement(), &params, "fuzz-level.xml");
    level.update();
    engine.setViewport(0, 0, 160, 120);
    level.render(nullptr);
    return 0;
}
