// Reads the audio output's capture (a 44-byte WAV header, then 16-bit stereo samples).
#pragma once

#include <cmath>
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

// Where the first sound of 8-bit samples starts (the first sample off the silent 0x80), at the
// start of its frame of `stride` samples (past the last whole frame when all is silent).
inline size_t FirstSound(const std::vector<uint8_t>& s, size_t stride = 2) {
    size_t first = 0;
    while (first < s.size() && s[first] == 0x80) ++first;
    return first - first % stride;
}

// The amplitude of a tone of `hz` in the left channel of the capture, from frame `first` over
// `n` frames.
inline double ToneLevel(const std::vector<int16_t>& s, size_t first, size_t n, double hz) {
    const double w = 2.0 * 3.14159265358979323846 * hz / 22050.0;
    const double c = 2.0 * std::cos(w);
    double p1 = 0.0, p2 = 0.0;
    for (size_t i = 0; i < n && 2 * (first + i) < s.size(); ++i) {
        // A Hann window keeps a loud neighbouring tone out of the measure.
        const double hann =
            0.5 - 0.5 * std::cos(2.0 * 3.14159265358979323846 * double(i) / double(n - 1));
        const double p0 = s[2 * (first + i)] * hann + c * p1 - p2;
        p2 = p1;
        p1 = p0;
    }
    return 4.0 * std::sqrt(std::fmax(0.0, p1 * p1 + p2 * p2 - c * p1 * p2)) / double(n);
}
