// RIFF/WAVE writer for the sound effects.
#include "tools/makedata/audio.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <ios>
#include <stdexcept>
#include <string>
#include <vector>

namespace makedata {

namespace {

void put(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

std::int16_t to_pcm(float v) {
    const float scaled = std::round(v * 32767.0f);
    if (!(scaled > -32768.0f)) return -32768;
    if (scaled > 32767.0f) return 32767;
    return static_cast<std::int16_t>(scaled);
}

}  // namespace

void write_wav(const Stereo& sound, const std::string& path) {
    const auto frames = static_cast<std::uint32_t>(sound.frames());
    const std::uint32_t data_bytes = frames * 4;
    std::vector<unsigned char> out;
    out.reserve(44 + data_bytes);
    for (char c : {'R', 'I', 'F', 'F'}) out.push_back(static_cast<unsigned char>(c));
    put(out, 36 + data_bytes, 4);
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) out.push_back(static_cast<unsigned char>(c));
    put(out, 16, 4);               // fmt chunk size
    put(out, 1, 2);                // PCM
    put(out, 2, 2);                // channels
    put(out, SAMPLE_RATE, 4);      // frames per second
    put(out, SAMPLE_RATE * 4, 4);  // bytes per second
    put(out, 4, 2);                // bytes per frame
    put(out, 16, 2);               // bits per sample
    for (char c : {'d', 'a', 't', 'a'}) out.push_back(static_cast<unsigned char>(c));
    put(out, data_bytes, 4);
    for (std::size_t i = 0; i < sound.frames(); ++i) {
        put(out, static_cast<std::uint16_t>(to_pcm(sound.l[i])), 2);
        put(out, static_cast<std::uint16_t>(to_pcm(sound.r[i])), 2);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.close();  // the last bytes reach the file here, and may fail to
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace makedata
