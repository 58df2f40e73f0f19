// Ogg Vorbis encoding of the music loops with libvorbisenc. The encoder itself is
// deterministic; the serial number is the only value that would otherwise be chosen at random.
#include "tools/makedata/audio.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <ios>
#include <stdexcept>
#include <string>

namespace makedata {

namespace {

void write_page(std::ofstream& file, const ogg_page& page) {
    file.write(reinterpret_cast<const char*>(page.header), page.header_len);
    file.write(reinterpret_cast<const char*>(page.body), page.body_len);
}

}  // namespace

void write_ogg(const Stereo& music, const std::string& path, int serial, float quality) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write " + path);

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, SAMPLE_RATE, quality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("vorbis encoder refused the settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "KROMBLIX");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    ogg_packet ident, comm, code;
    vorbis_analysis_headerout(&dsp, &comment, &ident, &comm, &code);
    ogg_stream_packetin(&stream, &ident);
    ogg_stream_packetin(&stream, &comm);
    ogg_stream_packetin(&stream, &code);
    ogg_page page;
    // The headers get pages of their own so audio starts on a fresh page.
    while (ogg_stream_flush(&stream, &page) != 0) write_page(file, page);

    constexpr std::size_t chunk = 1024;
    std::size_t done = 0;
    bool finished = false;
    while (!finished) {
        const std::size_t n = std::min(chunk, music.frames() - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            std::copy_n(music.l.begin() + static_cast<std::ptrdiff_t>(done), n, buffer[0]);
            std::copy_n(music.r.begin() + static_cast<std::ptrdiff_t>(done), n, buffer[1]);
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    write_page(file, page);
                    if (ogg_page_eos(&page)) finished = true;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace makedata
