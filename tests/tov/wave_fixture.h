// Wave files made by the tests: a 44-byte header and the given sample bytes, written into
// the test's runtime folder and named by their system path.
#pragma once

#include <windows.h>
#include <wynplat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovtest {

// Writes the file and gives its system path ("" when it cannot be named). `claimed` is the
// data length the header states (the real length when negative).
inline std::string WriteWave(const std::filesystem::path& path, int rate, int bits, int channels,
                             const std::vector<uint8_t>& data, long claimed = -1) {
    std::vector<uint8_t> f(44, 0);
    auto put16 = [&](size_t at, unsigned v) {
        f[at] = uint8_t(v);
        f[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    const uint32_t size = claimed < 0 ? uint32_t(data.size()) : uint32_t(claimed);
    std::memcpy(&f[0], "RIFF", 4);
    put32(4, 36 + size);
    std::memcpy(&f[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, unsigned(channels));
    put32(24, uint32_t(rate));
    put32(28, uint32_t(rate * channels * bits / 8));
    put16(32, unsigned(channels * bits / 8));
    put16(34, unsigned(bits));
    std::memcpy(&f[36], "data", 4);
    put32(40, size);
    f.insert(f.end(), data.begin(), data.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
    char sys[MAX_PATH];
    if (!WynPlat_ToSystemPath(path.c_str(), sys, sizeof sys)) return "";
    return sys;
}

}  // namespace tovtest
