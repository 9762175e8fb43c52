#include "OggWriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace sound {

namespace {

int serialFor(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  return static_cast<int>(hash & 0x7fffffff);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

class Encoder {
public:
  Encoder(int channels, float quality, int serial) {
    vorbis_info_init(&info_);
    if (vorbis_encode_init_vbr(&info_, channels, kRate, quality) != 0) {
      vorbis_info_clear(&info_);
      throw std::runtime_error("vorbis encoder rejected its settings");
    }
    vorbis_comment_init(&comment_);
    vorbis_comment_add_tag(&comment_, "ARTIST", "Quorvell Zorbel 2010 sound generator");
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&stream_, serial);
  }
  ~Encoder() {
    ogg_stream_clear(&stream_);
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  void writeHeaders(std::FILE* out) {
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &id, &comments, &codebooks);
    ogg_stream_packetin(&stream_, &id);
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    // The audio has to start on a fresh page, as decoders expect.
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) writePage(out, page);
  }

  void writeAudio(std::FILE* out, const std::vector<const Mono*>& channels) {
    const std::size_t frames = channels.front()->size();
    const std::size_t chunk = 1024;
    for (std::size_t start = 0; start < frames; start += chunk) {
      const std::size_t n = std::min(chunk, frames - start);
      float** buffer = vorbis_analysis_buffer(&dsp_, static_cast<int>(n));
      for (std::size_t c = 0; c < channels.size(); ++c) {
        std::copy_n(channels[c]->begin() + static_cast<std::ptrdiff_t>(start), n, buffer[c]);
      }
      vorbis_analysis_wrote(&dsp_, static_cast<int>(n));
      drain(out);
    }
    vorbis_analysis_wrote(&dsp_, 0);
    drain(out);
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) writePage(out, page);
  }

private:
  void drain(std::FILE* out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
      vorbis_analysis(&block_, nullptr);
      vorbis_bitrate_addblock(&block_);
      while (vorbis_bitrate_flushpacket(&dsp_, &packet) != 0) {
        ogg_stream_packetin(&stream_, &packet);
        while (ogg_stream_pageout(&stream_, &page) != 0) writePage(out, page);
      }
    }
  }

  static void writePage(std::FILE* out, const ogg_page& page) {
    const bool ok = std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), out) ==
                        static_cast<std::size_t>(page.header_len) &&
                    std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), out) ==
                        static_cast<std::size_t>(page.body_len);
    if (!ok) throw std::runtime_error("short write");
  }

  vorbis_info info_;
  vorbis_comment comment_;
  vorbis_dsp_state dsp_;
  vorbis_block block_;
  ogg_stream_state stream_;
};

}  // namespace

void writeOgg(const std::string& path, const std::vector<const Mono*>& channels, float quality) {
  if (channels.empty()) throw std::runtime_error(path + ": no channels");
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "wb"));
  if (!out) throw std::runtime_error(path + ": cannot open for writing");
  Encoder encoder(static_cast<int>(channels.size()), quality, serialFor(path));
  encoder.writeHeaders(out.get());
  encoder.writeAudio(out.get(), channels);
}

}  // namespace sound
