// Turns a TrueType font into the game's bitmap font: NAME_0.png (white
// glyphs, coverage in alpha) and NAME.fnt (the XML description), covering
// every printable Latin-1 character.

#include "Page.h"
#include "Raster.h"

#include <cstdlib>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: fontgen --font FILE.ttf --size PIXELS --page PIXELS --padding PIXELS --spacing PIXELS --out DIR/NAME\n"
    "       [--face NAME]  (name recorded in the description; default: the font's family)\n"
    "writes DIR/NAME.fnt and DIR/NAME_0.png\n";

std::vector<int> printableLatin1() {
    std::vector<int> codes;
    for (int code = 32; code <= 126; ++code) codes.push_back(code);
    for (int code = 160; code <= 255; ++code) codes.push_back(code);
    return codes;
}

int positiveInt(const std::map<std::string, std::string>& args, const std::string& key) {
    const auto found = args.find(key);
    if (found == args.end()) throw std::invalid_argument("missing " + key);
    char* end = nullptr;
    const long value = std::strtol(found->second.c_str(), &end, 10);
    if (*end != '\0' || value <= 0 || value > 16384) throw std::invalid_argument("bad value for " + key);
    return static_cast<int>(value);
}

std::string text(const std::map<std::string, std::string>& args, const std::string& key) {
    const auto found = args.find(key);
    if (found == args.end() || found->second.empty()) throw std::invalid_argument("missing " + key);
    return found->second;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
    try {
        if (argc % 2 == 0) throw std::invalid_argument("options come in pairs");
        const std::string fontPath = text(args, "--font");
        const std::string out = text(args, "--out");
        const int size = positiveInt(args, "--size");
        const int pageSize = positiveInt(args, "--page");
        const int padding = positiveInt(args, "--padding");
        const int spacing = positiveInt(args, "--spacing");
        // Square power-of-two pages get the game's own mipmap chain.
        if ((pageSize & (pageSize - 1)) != 0) throw std::invalid_argument("--page must be a power of two");

        const fontgen::RasterFont font = fontgen::rasterize(fontPath, size, printableLatin1());
        fontgen::FontPage page = fontgen::buildPage(font, pageSize, padding, spacing);
        if (args.count("--face")) page.family = text(args, "--face");
        const std::string pageFile = baseName(out) + "_0.png";
        fontgen::writePng(page, out + "_0.png");
        fontgen::writeDescription(page, pageFile, out + ".fnt");
        std::cout << out << ".fnt: " << page.family << " from " << font.family << ", line height "
                  << page.lineHeight << ", " << page.chars.size() << " characters on a " << pageSize << " pixel page\n";
    } catch (const std::invalid_argument& error) {
        std::cerr << "fontgen: " << error.what() << '\n' << kUsage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "fontgen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
