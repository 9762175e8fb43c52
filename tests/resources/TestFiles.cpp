#include "resources/TestFiles.h"

#include "support/TestEngine.h"

#include <GL/glu.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

std::string writeTga(const std::string& name, int width, int height, const std::function<Pixel(int, int)>& pixel,
                     bool alpha)
{
    std::string bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = char(width & 0xFF);
    bytes[13] = char(width >> 8);
    bytes[14] = char(height & 0xFF);
    bytes[15] = char(height >> 8);
    bytes[16] = alpha ? 32 : 24;
    bytes[17] = alpha ? 0x28 : 0x20; // alpha bits, first row is the top one
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Pixel p = pixel(x, y);
            bytes += char(p.b);
            bytes += char(p.g);
            bytes += char(p.r);
            if (alpha)
                bytes += char(p.a);
        }
    }
    return writeScratchFile(name, bytes);
}

namespace {

void writePages(ogg_stream_state& stream, std::string& out, bool flush)
{
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
        out.append(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
        out.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
    }
}

} // namespace

std::string writeOgg(const std::string& name, int channels, int rate, double seconds)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.1f) != 0)
        ADD_FAILURE() << "vorbisenc refuses " << channels << " channels at " << rate << " Hz";
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::string out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    writePages(stream, out, true);

    const long total = std::lround(seconds * rate);
    long written = 0;
    bool finished = false;
    while (!finished) {
        const long chunk = std::min(1024L, total - written);
        if (chunk > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(chunk));
            for (long i = 0; i < chunk; ++i) {
                float value = 0.5f * float(std::sin(2.0 * M_PI * 440.0 * double(written + i) / rate));
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = value;
            }
            vorbis_analysis_wrote(&dsp, int(chunk));
            written += chunk;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                writePages(stream, out, false);
                if (packet.e_o_s)
                    finished = true;
            }
        }
    }
    writePages(stream, out, true);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return writeScratchFile(name, out);
}

int lineCount(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\n'));
}

bool tickUntil(const std::function<bool()>& done, int timeoutMs)
{
    const Uint32 start = SDL_GetTicks();
    while (!done()) {
        if (SDL_GetTicks() - start > Uint32(timeoutMs))
            return false;
        SDL_Delay(5);
        runTicks(testEngine(), 1);
    }
    return true;
}

void ScreenTest::SetUp()
{
    Vec2i size = testEngine().getScreenSize();
    height = size.y;
    glViewport(0, 0, size.x, size.y);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, size.x, size.y, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
}

void ScreenTest::TearDown()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

Pixel ScreenTest::screenPixel(int x, int y) const
{
    glFinish();
    Pixel p;
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    return p;
}
