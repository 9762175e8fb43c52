#include "Page.h"

#include "Packer.h"

#include <png.h>

#include <fstream>
#include <stdexcept>

namespace fontgen {

FontPage buildPage(const RasterFont& font, int pageSize, int padding, int spacing) {
    std::vector<Size> sizes;
    sizes.reserve(font.glyphs.size());
    for (const RasterGlyph& glyph : font.glyphs)
        sizes.push_back({glyph.width + 2 * padding, glyph.height + 2 * padding});
    const auto placements = packShelves(sizes, pageSize, spacing);
    if (!placements)
        throw std::runtime_error("glyphs do not fit on a " + std::to_string(pageSize) + " pixel page");

    FontPage page;
    page.family = font.family;
    page.pixelSize = font.pixelSize;
    page.bold = font.bold;
    page.padding = padding;
    page.spacing = spacing;
    page.lineHeight = font.lineHeight;
    page.base = font.ascender;
    page.pageSize = pageSize;
    // Transparent pixels stay white so that filtering towards the edge of a
    // glyph fades its alpha without darkening the colour.
    page.rgba.assign(static_cast<size_t>(pageSize) * pageSize * 4, 255);
    for (size_t i = 3; i < page.rgba.size(); i += 4) page.rgba[i] = 0;

    for (size_t i = 0; i < font.glyphs.size(); ++i) {
        const RasterGlyph& glyph = font.glyphs[i];
        const Placement& at = (*placements)[i];
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x) {
                const size_t pixel = static_cast<size_t>(at.y + padding + y) * pageSize + (at.x + padding + x);
                page.rgba[pixel * 4 + 3] = glyph.coverage[static_cast<size_t>(y) * glyph.width + x];
            }

        CharRecord record;
        record.id = glyph.code;
        record.x = at.x;
        record.y = at.y;
        record.width = sizes[i].width;
        record.height = sizes[i].height;
        record.xoffset = glyph.left - padding;
        record.yoffset = font.ascender - glyph.top - padding;
        // The game moves its pen by xadvance minus xoffset, not by xadvance
        // alone, so the offset is added here to keep the font's own spacing.
        record.xadvance = glyph.advance + record.xoffset;
        page.chars.push_back(record);
    }
    return page;
}

void writePng(const FontPage& page, const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(page.pageSize);
    image.height = static_cast<png_uint_32>(page.pageSize);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, page.rgba.data(), 0, nullptr))
        throw std::runtime_error("cannot write " + path + ": " + image.message);
}

namespace {

std::string escapeAttribute(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

void writeDescription(const FontPage& page, const std::string& pageFile, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write " + path);
    const std::string pad = std::to_string(page.padding);
    const std::string gap = std::to_string(page.spacing);
    out << "<?xml version=\"1.0\"?>\n"
        << "<font>\n"
        << "  <info face=\"" << escapeAttribute(page.family) << "\" size=\"" << page.pixelSize
        << "\" bold=\"" << (page.bold ? 1 : 0) << "\" italic=\"0\" charset=\"ISO-8859-1\" unicode=\"0\" stretchH=\"100\" smooth=\"1\" aa=\"1\""
        << " padding=\"" << pad << ',' << pad << ',' << pad << ',' << pad << "\" spacing=\"" << gap << ',' << gap
        << "\" outline=\"0\"/>\n"
        << "  <common lineHeight=\"" << page.lineHeight << "\" base=\"" << page.base << "\" scaleW=\""
        << page.pageSize << "\" scaleH=\"" << page.pageSize
        << "\" pages=\"1\" packed=\"0\" alphaChnl=\"0\" redChnl=\"4\" greenChnl=\"4\" blueChnl=\"4\"/>\n"
        << "  <pages>\n"
        << "    <page id=\"0\" file=\"" << escapeAttribute(pageFile) << "\"/>\n"
        << "  </pages>\n"
        << "  <chars count=\"" << page.chars.size() << "\">\n";
    for (const CharRecord& c : page.chars)
        out << "    <char id=\"" << c.id << "\" x=\"" << c.x << "\" y=\"" << c.y << "\" width=\"" << c.width
            << "\" height=\"" << c.height << "\" xoffset=\"" << c.xoffset << "\" yoffset=\"" << c.yoffset
            << "\" xadvance=\"" << c.xadvance << "\" page=\"0\" chnl=\"15\"/>\n";
    out << "  </chars>\n"
        << "</font>\n";
    if (!out) throw std::runtime_error("error writing " + path);
}

}  // namespace fontgen
