#include "resources/Texture.h"

#include <GL/glu.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Every working image keeps red, green, blue, alpha in this byte order in
// memory, which is what GL_RGBA / GL_UNSIGNED_BYTE reads.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
constexpr Uint32 kRedMask = 0x000000FF, kGreenMask = 0x0000FF00, kBlueMask = 0x00FF0000, kAlphaMask = 0xFF000000;
#else
constexpr Uint32 kRedMask = 0xFF000000, kGreenMask = 0x00FF0000, kBlueMask = 0x0000FF00, kAlphaMask = 0x000000FF;
#endif

// The largest float below 256 (bit pattern 0x437FFFFF): 1.0 still maps to 255
// while every byte value survives a round trip through c / 255.
constexpr float kByteScale = 255.99998f;

inline Uint8 toByte(float component)
{
    float scaled = component * kByteScale;
    // Also true for a component that is not a number.
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return Uint8(scaled);
}

inline Uint32 packBytes(float r, float g, float b, float a)
{
    Uint8 bytes[4] = {toByte(r), toByte(g), toByte(b), toByte(a)};
    Uint32 pixel;
    std::memcpy(&pixel, bytes, sizeof pixel);
    return pixel;
}

// Longest side of a picture the loader accepts: what the GL of the time could
// hold, and a quarter of a gigabyte for SDL_image to allocate at most.
constexpr uint32_t kMaxSide = 8192;

uint32_t bigEndian32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

// SDL_image's PNG reader does not notice the end of the file: a chunk that
// claims more bytes than are left keeps it reading for minutes. It also
// allocates the declared picture before it reads a pixel. So a PNG's chunks
// are walked here first; "" when the file may go to SDL_image (PNG or not).
std::string pngProblem(const std::string& filename)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    FILE* file = std::fopen(filename.c_str(), "rb");
    if (!file)
        return "";
    std::string problem;
    unsigned char chunk[16];
    if (std::fread(chunk, 1, 8, file) == 8 && std::memcmp(chunk, kSignature, 8) == 0 &&
        std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        for (long at = 8; problem.empty();) {
            if (std::fseek(file, at, SEEK_SET) != 0 || size - at < 12) {
                problem = "the file ends in the middle of a chunk";
                break;
            }
            const size_t got = std::fread(chunk, 1, sizeof chunk, file);
            const uint32_t length = bigEndian32(chunk);
            if (length > uint32_t(size - at - 12))
                problem = "a chunk claims more bytes than the file has";
            else if (std::memcmp(chunk + 4, "IHDR", 4) == 0 && got == sizeof chunk &&
                     (bigEndian32(chunk + 8) > kMaxSide ||
                      bigEndian32(chunk + 12) > kMaxSide))
                problem = "it declares " + std::to_string(bigEndian32(chunk + 8)) + " x " +
                          std::to_string(bigEndian32(chunk + 12)) + " pixels, more than a texture can hold";
            else if (std::memcmp(chunk + 4, "IEND", 4) == 0)
                break;
            at += 12 + long(length);
        }
    }
    std::fclose(file);
    return problem;
}

SDL_Surface* loadImage(const std::string& filename)
{
    std::string problem = pngProblem(filename);
    if (!problem.empty()) {
        IMG_SetError("%s", problem.c_str());
        return nullptr;
    }
    SDL_Surface* image = IMG_Load(filename.c_str());
    if (!image)
        return nullptr;
    // Pictures with an alpha channel usually arrive in the working layout
    // already; converting those would only hold a second full copy of the
    // picture in memory while it loads.
    const SDL_PixelFormat* format = image->format;
    if (format->BitsPerPixel == 32 && format->Rmask == kRedMask && format->Gmask == kGreenMask
        && format->Bmask == kBlueMask && format->Amask == kAlphaMask)
        return image;
    SDL_Surface* rgba = Texture::createRgbaSurface(image->w, image->h);
    if (rgba) {
        // Without SDL_SRCALPHA the blit copies the alpha channel rather than
        // blending the picture onto the empty surface.
        SDL_SetAlpha(image, 0, 0);
        SDL_SetAlpha(rgba, 0, 0);
        SDL_BlitSurface(image, nullptr, rgba, nullptr);
    }
    SDL_FreeSurface(image);
    return rgba;
}

// Red, green and blue equal in every pixel, as on a font page (white letters,
// edges by alpha): the GL then keeps two bytes a texel instead of four.
bool isGrey(SDL_Surface* rgba)
{
    SDL_LockSurface(rgba);
    bool grey = true;
    for (int y = 0; grey && y < rgba->h; ++y) {
        const Uint8* pixel = static_cast<const Uint8*>(rgba->pixels) + y * rgba->pitch;
        for (int x = 0; x < rgba->w; ++x, pixel += 4) {
            if (pixel[0] != pixel[1] || pixel[0] != pixel[2]) {
                grey = false;
                break;
            }
        }
    }
    SDL_UnlockSurface(rgba);
    return grey;
}

SDL_Surface* makeChecker()
{
    const int size = Texture::kPlaceholderSize;
    SDL_Surface* surface = Texture::createRgbaSurface(size, size);
    SDL_LockSurface(surface);
    for (int y = 0; y < size; ++y) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < size; ++x)
            row[x] = ((x + y) & 1) ? Texture::packColor(0, 0, 0, 1) : Texture::packColor(1, 0, 1, 1);
    }
    SDL_UnlockSurface(surface);
    return surface;
}

} // namespace

SDL_Surface* Texture::createRgbaSurface(int w, int h)
{
    return SDL_CreateRGBSurface(0, w, h, 32, kRedMask, kGreenMask, kBlueMask, kAlphaMask);
}

SDL_Surface* Texture::loadSurface(const std::string& filename)
{
    return loadImage(filename);
}

uint32_t Texture::packColor(float r, float g, float b, float a)
{
    return packBytes(r, g, b, a);
}

namespace {

// Byte value to 0..1, the same division for every texel, looked up instead of
// repeated: the mipmap chains of the big font pages are part of start-up.
struct UnitTable {
    float value[256];
    UnitTable()
    {
        for (int i = 0; i < 256; ++i)
            value[i] = float(i) / 255.0f;
    }
};
const UnitTable kUnit;

// Adding a transparent texel's zero leaves a sum as it was, so masking gives
// the same sums as skipping, without a branch per texel.
Uint32 boxTexel(const Uint8* const block[4])
{
    float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        const Uint8* p = block[i];
        const float visible = p[3] ? 1.0f : 0.0f;
        for (int c = 0; c < 4; ++c)
            sum[c] += kUnit.value[p[c]] * visible;
    }
    // Always a quarter: a block with invisible texels fades out with its
    // coverage instead of keeping full strength.
    return packBytes(sum[0] * 0.25f, sum[1] * 0.25f, sum[2] * 0.25f, sum[3] * 0.25f);
}

Uint32 alphaWeightedTexel(const Uint8* const block[4])
{
    float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float alphaSquares = 0.0f;
    for (int i = 0; i < 4; ++i) {
        const Uint8* p = block[i];
        const float alpha = kUnit.value[p[3]];
        for (int c = 0; c < 3; ++c)
            sum[c] += kUnit.value[p[c]] * alpha;
        sum[3] += alpha;
        alphaSquares += alpha * alpha;
    }
    if (sum[3] <= 0.0f)
        return 0;
    return packBytes(sum[0] / sum[3], sum[1] / sum[3], sum[2] / sum[3], alphaSquares / sum[3]);
}

} // namespace

SDL_Surface* Texture::downscale(SDL_Surface* source, DownscaleFilter filter)
{
    SDL_PixelFormat* format = source->format;
    SDL_Surface* target = SDL_CreateRGBSurface(source->flags, source->w / 2, source->h / 2, format->BitsPerPixel,
                                               format->Rmask, format->Gmask, format->Bmask, format->Amask);
    SDL_LockSurface(source);
    SDL_LockSurface(target);
    for (int y = 0; y < target->h; ++y) {
        const Uint8* top = static_cast<const Uint8*>(source->pixels) + 2 * y * source->pitch;
        const Uint8* bottom = top + source->pitch;
        Uint32* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(target->pixels) + y * target->pitch);
        for (int x = 0; x < target->w; ++x) {
            const Uint8* const block[4] = {top + 8 * x, top + 8 * x + 4, bottom + 8 * x, bottom + 8 * x + 4};
            if (filter == DF_BOX)
                out[x] = boxTexel(block);
            else if (filter == DF_ALPHA_WEIGHTED)
                out[x] = alphaWeightedTexel(block);
            else
                out[x] = 0;
        }
    }
    SDL_UnlockSurface(target);
    SDL_UnlockSurface(source);
    return target;
}

Texture::Texture(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters)
    : Resource(filename, manager, parameters)
{
    SDL_Surface* rgba = filename.empty() ? nullptr : loadImage(filename);
    loaded = rgba != nullptr;
    if (!loaded) {
        // An empty name was reported by the cache already.
        if (!filename.empty())
            std::fprintf(stderr, "zorbel: cannot read image \"%s\": %s\n", filename.c_str(), IMG_GetError());
        rgba = makeChecker();
    }
    width = rgba->w;
    height = rgba->h;
    if (loaded && getParameters().get<bool>("findRegions"))
        regions = PictureRegions(rgba);
    upload(rgba, getParameters().get<bool>("mipMapping"), getParameters().get<DownscaleFilter>("downscaleFilter"));
}

Texture::~Texture()
{
    glDeleteTextures(1, &name);
}

void Texture::upload(SDL_Surface* rgba, bool mipMapping, DownscaleFilter filter)
{
    glGenTextures(1, &name);
    // Only the binding is server state that changes here. Pushing all
    // attributes would do, but the GL then keeps a copy of every texture
    // unit's state for the attribute stack, 2.6 MB for the program's life.
    GLint boundBefore = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundBefore);
    // The row length is client state; restoring it keeps later uploads by
    // other code from reading our pitch.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glBindTexture(GL_TEXTURE_2D, name);
    mipMapped = mipMapping;
    const GLint texelFormat = isGrey(rgba) ? GL_LUMINANCE8_ALPHA8 : GL_RGBA;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipMapping ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    SDL_Surface* current = rgba;
    for (int level = 0;; ++level) {
        SDL_LockSurface(current);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, current->pitch / current->format->BytesPerPixel);
        if (mipMapping && current->w != current->h) {
            // GLU resamples non-square images itself; our filters only know
            // how to halve both sides at once.
            gluBuild2DMipmaps(GL_TEXTURE_2D, texelFormat, current->w, current->h, GL_RGBA, GL_UNSIGNED_BYTE, current->pixels);
            SDL_UnlockSurface(current);
            break;
        }
        glTexImage2D(GL_TEXTURE_2D, level, texelFormat, current->w, current->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     current->pixels);
        SDL_UnlockSurface(current);
        if (!mipMapping || current->w <= 1 || current->h <= 1)
            break;
        SDL_Surface* next = downscale(current, filter);
        SDL_FreeSurface(current);
        current = next;
    }
    SDL_FreeSurface(current);

    // Column-major, as GL_TEXTURE loads it: a scale by the picture's size.
    std::fill(std::begin(matrix), std::end(matrix), 0.0f);
    matrix[0] = 1.0f / float(width);
    matrix[5] = 1.0f / float(height);
    matrix[10] = 1.0f;
    matrix[15] = 1.0f;

    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, GLuint(boundBefore));
}

namespace {

using MatrixLoadFunction = void (*)(GLenum, const GLfloat*);

// Loads a texture matrix without switching the matrix mode, where the GL can.
// Switching the mode ends the GL's batch of vertices even when nothing else
// changes, so every sprite drawn after a bind became a draw call of its own.
MatrixLoadFunction directMatrixLoad()
{
    static MatrixLoadFunction function = [] {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (!extensions || !std::strstr(extensions, "GL_EXT_direct_state_access"))
            return MatrixLoadFunction(nullptr);
        return reinterpret_cast<MatrixLoadFunction>(SDL_GL_GetProcAddress("glMatrixLoadfEXT"));
    }();
    return function;
}

} // namespace

void Texture::bind() const
{
    glBindTexture(GL_TEXTURE_2D, name);
    if (MatrixLoadFunction load = directMatrixLoad()) {
        load(GL_TEXTURE, matrix);
        return;
    }
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(matrix);
    glMatrixMode(GLenum(mode));
}

namespace {

// Beyond this many texels per pixel the mip levels read farther than the cell
// around a clear or solid cell, and the picture is drawn whole.
constexpr float kMostTexelsPerPixel = PictureRegions::kCellSize / 4.0f;
// More repetitions of the picture than this are drawn whole as well: the
// spans would cost more to send than the pixels they leave out.
constexpr double kMostRepetitions = 256.0;

void plainQuad(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to)
{
    glBegin(GL_QUADS);
    glTexCoord2f(texFrom.x, texFrom.y);
    glVertex2f(from.x, from.y);
    glTexCoord2f(texTo.x, texFrom.y);
    glVertex2f(to.x, from.y);
    glTexCoord2f(texTo.x, texTo.y);
    glVertex2f(to.x, to.y);
    glTexCoord2f(texFrom.x, texTo.y);
    glVertex2f(from.x, to.y);
    glEnd();
}

// How many picture pixels one window pixel spans at most, from where the GL
// puts the quad's corners.
float texelsPerPixel(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble ax, ay, az, bx, by, bz;
    if (!gluProject(from.x, from.y, 0.0, model, projection, viewport, &ax, &ay, &az) ||
        !gluProject(to.x, to.y, 0.0, model, projection, viewport, &bx, &by, &bz))
        return INFINITY;
    return float(std::max(double(texTo.x - texFrom.x) / std::fabs(bx - ax),
                          double(texTo.y - texFrom.y) / std::fabs(by - ay)));
}

// Where the whole quad from..to puts the picture's points of texFrom..texTo;
// its far edges land exactly on `to`, so neighbouring parts meet without a gap.
struct Placement {
    Placement(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to)
        : texFrom(texFrom), texTo(texTo), from(from), to(to), scaleX((to.x - from.x) / (texTo.x - texFrom.x)),
          scaleY((to.y - from.y) / (texTo.y - texFrom.y))
    {
    }
    float x(float s) const { return s >= texTo.x ? to.x : from.x + (s - texFrom.x) * scaleX; }
    float y(float t) const { return t >= texTo.y ? to.y : from.y + (t - texFrom.y) * scaleY; }

    Vec2f texFrom, texTo, from, to;
    float scaleX, scaleY;
};

// Calls visit(span, i, j, s0, t0, s1, t1) for the spans' cells in every
// repetition (i, j) of the picture that texFrom..texTo reaches, cut to it.
template <typename Visit>
void forEachSpan(const std::vector<PictureRegions::Span>& spans, const PictureRegions& regions, Vec2f texFrom,
                 Vec2f texTo, Visit visit)
{
    const int w = regions.getWidth();
    const int h = regions.getHeight();
    const int cell = PictureRegions::kCellSize;
    const int firstX = int(std::floor(texFrom.x / float(w))), lastX = int(std::ceil(texTo.x / float(w)));
    const int firstY = int(std::floor(texFrom.y / float(h))), lastY = int(std::ceil(texTo.y / float(h)));
    for (int j = firstY; j < lastY; ++j) {
        for (int i = firstX; i < lastX; ++i) {
            for (const PictureRegions::Span& span : spans) {
                const float s0 = std::max(float(i * w + span.begin * cell), texFrom.x);
                const float s1 = std::min(float(i * w + std::min(span.end * cell, w)), texTo.x);
                const float t0 = std::max(float(j * h + span.row * cell), texFrom.y);
                const float t1 = std::min(float(j * h + std::min(span.rowEnd * cell, h)), texTo.y);
                if (s0 < s1 && t0 < t1)
                    visit(span, i, j, s0, t0, s1, t1);
            }
        }
    }
}

// The spans' cells, each at the place the whole quad would give it, less the
// cells that `hidden` (if set) says are painted over later.
void drawSpans(const std::vector<PictureRegions::Span>& spans, const PictureRegions& regions, Vec2f texFrom,
               Vec2f texTo, Vec2f from, Vec2f to, const Texture::Hidden& hidden)
{
    if (spans.empty())
        return;
    const int w = regions.getWidth();
    const int h = regions.getHeight();
    const int cell = PictureRegions::kCellSize;
    const Placement place(texFrom, texTo, from, to);
    auto isHidden = [&](float s0, float t0, float s1, float t1) {
        return hidden(Vec2f(place.x(s0), place.y(t0)), Vec2f(place.x(s1), place.y(t1)));
    };
    auto quad = [&](float s0, float t0, float s1, float t1) {
        const float x0 = place.x(s0), x1 = place.x(s1), y0 = place.y(t0), y1 = place.y(t1);
        glTexCoord2f(s0, t0);
        glVertex2f(x0, y0);
        glTexCoord2f(s1, t0);
        glVertex2f(x1, y0);
        glTexCoord2f(s1, t1);
        glVertex2f(x1, y1);
        glTexCoord2f(s0, t1);
        glVertex2f(x0, y1);
    };
    std::vector<bool> shown;
    glBegin(GL_QUADS);
    forEachSpan(spans, regions, texFrom, texTo,
                [&](const PictureRegions::Span& span, int i, int j, float s0, float t0, float s1, float t1) {
                    if (!hidden) {
                        quad(s0, t0, s1, t1);
                        return;
                    }
                    if (isHidden(s0, t0, s1, t1))
                        return;
                    // Partly hidden: the cells still seen, joined into rectangles again.
                    auto edgeS = [&](int column) {
                        return std::clamp(float(i * w + std::min(column * cell, w)), s0, s1);
                    };
                    auto edgeT = [&](int row) { return std::clamp(float(j * h + std::min(row * cell, h)), t0, t1); };
                    const int columns = span.end - span.begin, rows = span.rowEnd - span.row;
                    shown.assign(size_t(columns * rows), false);
                    for (int r = 0; r < rows; ++r) {
                        for (int c = 0; c < columns; ++c) {
                            const float a = edgeS(span.begin + c), b = edgeS(span.begin + c + 1);
                            const float top = edgeT(span.row + r), bottom = edgeT(span.row + r + 1);
                            shown[size_t(r * columns + c)] = a < b && top < bottom && !isHidden(a, top, b, bottom);
                        }
                    }
                    for (const PictureRegions::Span& part : PictureRegions::spansOf(shown, columns, rows))
                        quad(edgeS(span.begin + part.begin), edgeT(span.row + part.row),
                             edgeS(span.begin + part.end), edgeT(span.row + part.rowEnd));
                });
    glEnd();
}

// Whether drawQuad draws texFrom..texTo as its cells rather than whole.
bool drawnByCells(const PictureRegions& regions, int width, int height, Vec2f texFrom, Vec2f texTo, float scale)
{
    const double repetitions = std::ceil(double(texTo.x - texFrom.x) / width + 1.0) *
                               std::ceil(double(texTo.y - texFrom.y) / height + 1.0);
    return regions.isKnown() && texFrom.x < texTo.x && texFrom.y < texTo.y && repetitions <= kMostRepetitions &&
           scale <= kMostTexelsPerPixel;
}

} // namespace

void Texture::drawQuad(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to, QuadBlend blend, const Hidden& hidden) const
{
    const float scale = texelsPerPixel(texFrom, texTo, from, to);
    // Drawn at its own size or larger the GL reads only the first level anyway
    // (the magnification filter): the same picture without choosing a level
    // for every pixel.
    const bool firstLevelOnly = mipMapped && scale <= 1.0f;
    if (firstLevelOnly)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    drawParts(texFrom, texTo, from, to, blend, scale, hidden);
    if (firstLevelOnly)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}

void Texture::drawParts(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to, QuadBlend blend, float scale,
                        const Hidden& hidden) const
{
    if (blend == QuadBlend::Plain || !drawnByCells(regions, width, height, texFrom, texTo, scale)) {
        plainQuad(texFrom, texTo, from, to);
        return;
    }
    if (blend == QuadBlend::Added) {
        drawSpans(regions.getLit(), regions, texFrom, texTo, from, to, hidden);
        return;
    }
    if (blend == QuadBlend::AlphaOpaque && !regions.getSolid().empty()) {
        // A texel of full alpha under a colour of full alpha replaces what is
        // under it and passes the alpha test: the same pixel without reading
        // the screen.
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        drawSpans(regions.getSolid(), regions, texFrom, texTo, from, to, hidden);
        glEnable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
    } else {
        drawSpans(regions.getSolid(), regions, texFrom, texTo, from, to, hidden);
    }
    drawSpans(regions.getPartial(), regions, texFrom, texTo, from, to, hidden);
}

std::vector<std::pair<Vec2f, Vec2f>> Texture::opaqueParts(Vec2f texFrom, Vec2f texTo, Vec2f from, Vec2f to) const
{
    std::vector<std::pair<Vec2f, Vec2f>> parts;
    if (!drawnByCells(regions, width, height, texFrom, texTo, texelsPerPixel(texFrom, texTo, from, to)))
        return parts;
    const Placement place(texFrom, texTo, from, to);
    forEachSpan(regions.getSolid(), regions, texFrom, texTo,
                [&](const PictureRegions::Span&, int, int, float s0, float t0, float s1, float t1) {
                    parts.emplace_back(Vec2f(place.x(s0), place.y(t0)), Vec2f(place.x(s1), place.y(t1)));
                });
    return parts;
}
