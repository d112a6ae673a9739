// Reads the audio output's capture (a 44-byte WAV header, then 16-bit stereo samples).
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The captured samples, left and right in turn.
inline std::vector<int16_t> ReadCapture16(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out;
    for (size_t i = 44; i + 1 < raw.size(); i += 2)
        out.push_back(int16_t(uint16_t(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8)));
    return out;
}

// The captured samples back in the mixer's unsigned 8-bit form.
inline std::vector<uint8_t> ReadCapture8(const std::string& path) {
    std::vector<uint8_t> out;
    for (int16_t v : ReadCapture16(path)) out.push_back(uint8_t((v >> 8) + 128));
    return out;
}
