// Scenario files for the game's tests and the scenario fuzz target's seeds: header-only files
// of both forms, every field set.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Little-endian bytes for fixtures.
inline void PutI32(std::string& b, size_t at, int32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff);
}
inline void PutText(std::string& b, size_t at, const std::string& text) {
    if (b.size() < at + text.size()) b.resize(at + text.size());
    std::memcpy(&b[at], text.data(), text.size());
}

// A header-only .sd3/.sd2 file (0xec bytes) with every field set.
inline std::string NewHeader(const std::string& title) {
    std::string b(0xec, '\0');
    PutText(b, 0x00, title);
    PutI32(b, 0x20, 930);
    PutI32(b, 0x24, 2);
    PutI32(b, 0x28, 5000);
    PutI32(b, 0x2c, -1);
    PutI32(b, 0x30, 12);
    PutText(b, 0x34, "bgm01");
    PutI32(b, 0x44, 3);
    PutI32(b, 0x48, 5);
    PutText(b, 0x4c, "WYNDEMOA.EXE");
    for (int i = 0; i < 36; ++i) PutI32(b, 0x5c + 4 * i, 100 + i);  // the world block
    PutI32(b, 0x9c, 'N');
    return b;
}

// The old .sd form (0xd4 bytes): the world block at 0x44.
inline std::string OldHeader(const std::string& title) {
    std::string b(0xd4, '\0');
    PutText(b, 0x00, title);
    PutI32(b, 0x20, 1200);
    PutI32(b, 0x30, 7);
    for (int i = 0; i < 36; ++i) PutI32(b, 0x44 + 4 * i, 300 + i);
    PutI32(b, 0x44 + 0x40, 'R');
    return b;
}
