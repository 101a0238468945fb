// Ogg Vorbis encoding through libvorbisenc.
#include "formats/ogg_writer.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <fstream>
#include <stdexcept>

namespace audio {

namespace {

constexpr int streamSerial = 0x4E696768; // fixed, so every build writes the same bytes
constexpr int blockFrames = 4096;

class OggFile {
  public:
    explicit OggFile(const std::filesystem::path& path)
        : out_(path, std::ios::binary | std::ios::trunc) {
        if (!out_) {
            throw std::runtime_error("cannot write " + path.string());
        }
    }
    void write(const ogg_page& page) {
        out_.write(reinterpret_cast<const char*>(page.header), page.header_len);
        out_.write(reinterpret_cast<const char*>(page.body), page.body_len);
    }

  private:
    std::ofstream out_;
};

} // namespace

void writeOgg(const std::filesystem::path& path, const Stereo& sound, float quality) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, sampleRate, quality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("vorbis encoder refused the settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Night Theme");
    vorbis_comment_add_tag(&comment, "ALBUM", "Ghoulrun");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, streamSerial);

    OggFile file(path);
    ogg_page page;
    ogg_packet packet;
    {
        ogg_packet header, commentHeader, codeHeader;
        vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &commentHeader);
        ogg_stream_packetin(&stream, &codeHeader);
        while (ogg_stream_flush(&stream, &page) != 0) {
            file.write(page);
        }
    }

    const long frames = static_cast<long>(sound.left.size());
    long done = 0;
    bool finished = false;
    while (!finished) {
        const long count = std::min<long>(blockFrames, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i) {
                buffer[0][i] = sound.left[done + i];
                buffer[1][i] = sound.right[done + i];
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    file.write(page);
                    if (ogg_page_eos(&page) != 0) {
                        finished = true;
                    }
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
}

} // namespace audio
