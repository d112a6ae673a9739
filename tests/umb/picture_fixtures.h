// Picture and BMP files made byte by byte for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fx {

struct Bytes : std::vector<uint8_t> {
    Bytes& u8(int v) {
        push_back(uint8_t(v));
        return *this;
    }
    Bytes& u16(int v) {
        u8(v & 0xFF);
        return u8((v >> 8) & 0xFF);
    }
    Bytes& u32(uint32_t v) {
        u16(int(v & 0xFFFF));
        return u16(int(v >> 16));
    }
    Bytes& tag(const char* t) {
        for (int i = 0; i < 4; ++i) u8(t[i]);
        return *this;
    }
    Bytes& add(const std::vector<uint8_t>& b) {
        insert(end(), b.begin(), b.end());
        return *this;
    }
    void put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) (*this)[at + i] = uint8_t(v >> (8 * i));
    }
};

// The 56-byte header of a picture file.
inline Bytes Head(uint32_t format, uint32_t hasPalette = 0, uint32_t hasPicture = 0) {
    Bytes b;
    b.tag("RIFF").u32(56).tag("TEST").tag("fmt ").u32(36).u32(format);
    b.u32(hasPalette).u32(0).u32(0).u32(0).u32(hasPicture).u32(0).u32(0).u32(0);
    return b;
}

// A 16-bit picture file around `data`.
inline Bytes Picture16(int xsize, int ysize, bool coded, const std::vector<uint8_t>& data,
                       int key = 0xFFFF, int xpos = 0, int ypos = 0, int xoff = 0, int yoff = 0) {
    Bytes b = Head(0x00030003);
    b.tag("bmp ").u32(uint32_t(data.size() + 32)).u16(xsize).u16(ysize).u32(0);
    b.u16(xpos).u16(ypos).u16(xoff).u16(yoff).u16(16).u16(coded ? 1 : 0).u16(key).u16(0);
    b.add(data);
    return b;
}

// A BMP file. `rows` are the file's rows as stored (each already padded).
inline Bytes Bmp(int bits, int width, int height, const std::vector<uint32_t>& palette,
                 const std::vector<uint8_t>& rows, uint32_t compression = 0, size_t gap = 0,
                 uint32_t clrUsed = 0, bool zeroOffset = false) {
    Bytes info;
    info.u32(40).u32(uint32_t(width)).u32(uint32_t(height)).u16(1).u16(bits).u32(compression);
    info.u32(0).u32(2835).u32(2835).u32(clrUsed).u32(0);
    Bytes pal;
    for (uint32_t c : palette) pal.u32(c);
    uint32_t offset = uint32_t(14 + info.size() + pal.size() + gap);
    Bytes b;
    b.u8('B')
        .u8('M')
        .u32(uint32_t(offset + rows.size()))
        .u16(0)
        .u16(0)
        .u32(zeroOffset ? 0 : offset);
    b.add(info).add(pal);
    b.insert(b.end(), gap, 0xEE);
    b.add(rows);
    return b;
}

}  // namespace fx
