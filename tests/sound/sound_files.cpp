// Sound files for the tests, written by hand: RIFF/WAVE headers and a libvorbisenc encoder loop.
#include "sound/sound_files.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace testing_support {
namespace {

constexpr double toneHz = 440.0;
constexpr double toneLevel = 0.2;
constexpr float vorbisQuality = 0.1f;

int framesFor(int milliseconds) {
    return testSoundRate * milliseconds / 1000;
}

double toneAt(int frame) {
    return toneLevel * std::sin(2.0 * std::numbers::pi * toneHz * frame / testSoundRate);
}

void putLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::ofstream openForWriting(const std::filesystem::path& path) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    return std::ofstream(path, std::ios::binary);
}

void writePage(std::ofstream& out, const ogg_page& page) {
    out.write(reinterpret_cast<const char*>(page.header), page.header_len);
    out.write(reinterpret_cast<const char*>(page.body), page.body_len);
}

} // namespace

void writeWav(const std::filesystem::path& path, int milliseconds) {
    const int frames = framesFor(milliseconds);
    const std::uint32_t dataBytes = frames * 2;
    std::ofstream out = openForWriting(path);
    out.write("RIFF", 4);
    putLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLittleEndian(out, 16, 4);                // format chunk size
    putLittleEndian(out, 1, 2);                 // PCM
    putLittleEndian(out, 1, 2);                 // mono
    putLittleEndian(out, testSoundRate, 4);     // frames per second
    putLittleEndian(out, testSoundRate * 2, 4); // bytes per second
    putLittleEndian(out, 2, 2);                 // bytes per frame
    putLittleEndian(out, 16, 2);                // bits per sample
    out.write("data", 4);
    putLittleEndian(out, dataBytes, 4);
    for (int frame = 0; frame < frames; ++frame) {
        const auto sample = static_cast<std::int16_t>(toneAt(frame) * 32767.0);
        putLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    }
}

void writeOggVorbis(const std::filesystem::path& path, int milliseconds) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, testSoundRate, vorbisQuality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("the Vorbis encoder refused its settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::ofstream out = openForWriting(path);
    ogg_packet headers[3];
    vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
    for (ogg_packet& header : headers) {
        ogg_stream_packetin(&stream, &header);
    }
    ogg_page page;
    // The headers stand on pages of their own, ahead of the audio.
    while (ogg_stream_flush(&stream, &page) != 0) {
        writePage(out, page);
    }

    const int frames = framesFor(milliseconds);
    float** buffer = vorbis_analysis_buffer(&dsp, frames);
    for (int frame = 0; frame < frames; ++frame) {
        buffer[0][frame] = static_cast<float>(toneAt(frame));
    }
    vorbis_analysis_wrote(&dsp, frames);
    vorbis_analysis_wrote(&dsp, 0); // end of stream

    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page) != 0) {
                writePage(out, page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        writePage(out, page);
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
}

} // namespace testing_support
