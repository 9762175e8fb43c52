#include "resources/Font.h"

#include "engine/Engine.h"
#include "resources/TextureManager.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kGlyphLimit = 1 << 20;

} // namespace

Font::Font(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters)
    : Resource(filename, manager, parameters)
{
    // An empty name was reported by the cache already.
    if (!filename.empty())
        loaded = parse(filename);
}

bool Font::parse(const std::string& filename)
{
    auto fail = [&](const char* why) {
        std::fprintf(stderr, "zorbel: cannot use font \"%s\": %s\n", filename.c_str(), why);
        return false;
    };
    TiXmlDocument document;
    if (!document.LoadFile(filename))
        return fail(document.ErrorDesc());
    const TiXmlElement* root = document.FirstChildElement("font");
    const TiXmlElement* common = root ? root->FirstChildElement("common") : nullptr;
    const TiXmlElement* pages = root ? root->FirstChildElement("pages") : nullptr;
    const TiXmlElement* page = pages ? pages->FirstChildElement("page") : nullptr;
    const char* pageFile = page ? page->Attribute("file") : nullptr;
    if (!common || !pageFile)
        return fail("no <font> with <common> and a <page file=...>");
    common->QueryIntAttribute("lineHeight", &lineHeight);
    common->QueryIntAttribute("base", &base);
    common->QueryIntAttribute("scaleW", &scaleW);
    common->QueryIntAttribute("scaleH", &scaleH);
    // Text is scaled by height / lineHeight.
    if (lineHeight <= 0)
        return fail("lineHeight is missing or not positive");

    if (const TiXmlElement* chars = root->FirstChildElement("chars")) {
        int id = 0;
        for (const TiXmlElement* c = chars->FirstChildElement(); c; c = c->NextSiblingElement()) {
            c->QueryIntAttribute("id", &id);
            Glyph& glyph = glyphs[id];
            // Layout and drawing add these up in int; no page is this big, and
            // kept within it the sums cannot overflow.
            auto read = [c](const char* name, int& value) {
                c->QueryIntAttribute(name, &value);
                value = std::clamp(value, -kGlyphLimit, kGlyphLimit);
            };
            read("x", glyph.x);
            read("y", glyph.y);
            read("width", glyph.width);
            read("height", glyph.height);
            read("xoffset", glyph.xoffset);
            read("yoffset", glyph.yoffset);
            read("xadvance", glyph.xadvance);
        }
    }

    // Glyph edges are mostly transparent texels; weighting by alpha keeps the
    // smaller mip levels from growing dark fringes.
    ParameterMap textureParameters;
    textureParameters.set<DownscaleFilter>("downscaleFilter", DF_ALPHA_WEIGHTED);
    texture = getManager()->getEngine()->getTextureManager()->get(std::string("fonts/") + pageFile,
                                                                  textureParameters);
    // A missing or unreadable page has been reported by the texture side.
    return texture && texture->isLoaded();
}

const Glyph& Font::getGlyph(int id) const
{
    static const Glyph missing;
    auto it = glyphs.find(id);
    return it == glyphs.end() ? missing : it->second;
}

template <typename Emit>
Vec2f Font::layout(float height, const std::string& text, Emit&& emit) const
{
    Vec2f size(0.0f, 0.0f);
    if (!loaded)
        return size;
    const float scale = height / float(lineHeight);
    float penX = 0.0f;
    float penY = 0.0f;
    for (unsigned char c : text) {
        if (c == '\n') {
            penX = 0.0f;
            penY += scale * float(lineHeight);
        }
        const Glyph& g = getGlyph(c);
        emit(g, penX, penY, scale);
        // xadvance counts from the glyph's own offset, so the pen moves by
        // the difference, not by xadvance itself.
        penX += float(g.xadvance - g.xoffset) * scale;
        size.x = std::max(size.x, penX + float(g.xoffset) * scale);
        size.y = std::max(size.y, penY + float(g.yoffset + g.height) * scale);
    }
    return size;
}

Vec2f Font::measure(float height, const std::string& text) const
{
    return layout(height, text, [](const Glyph&, float, float, float) {});
}

Vec2f Font::draw(const Vec2f& position, float height, const RGBA& color, const std::string& text)
{
    if (!loaded)
        return Vec2f(0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    texture->bind();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    // The position goes into the vertices instead of onto the matrix stack: a
    // matrix change makes the GL draw what it has collected so far, so texts
    // in the same font drawn one after another end up in one draw call.
    glMatrixMode(GL_MODELVIEW);
    const GLfloat rgba[4] = {color.r, color.g, color.b, color.a};
    glColor4fv(rgba);

    glBegin(GL_QUADS);
    Vec2f size = layout(height, text, [&position](const Glyph& g, float penX, float penY, float scale) {
        const float left = position.x + penX + float(g.xoffset) * scale;
        const float right = position.x + penX + float(g.xoffset + g.width) * scale;
        const float top = position.y + penY + float(g.yoffset) * scale;
        const float bottom = position.y + penY + float(g.yoffset + g.height) * scale;
        glTexCoord2i(g.x, g.y + g.height);
        glVertex2f(left, bottom);
        glTexCoord2i(g.x + g.width, g.y + g.height);
        glVertex2f(right, bottom);
        glTexCoord2i(g.x + g.width, g.y);
        glVertex2f(right, top);
        glTexCoord2i(g.x, g.y);
        glVertex2f(left, top);
    });
    glEnd();
    return size;
}

Vec2f Font::drawCentered(const Vec2f& position, float height, const RGBA& color, const std::string& text)
{
    Vec2f size = measure(height, text);
    draw(position - size * 0.5f, height, color, text);
    return size;
}
