// Reads a screenshot PNG into 0xRRGGBB pixels, for tests that look at what a program showed.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

struct Png {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

inline bool ReadPng(const std::string& path, Png* out) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buf(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr)) return false;
    out->w = static_cast<int>(img.width);
    out->h = static_cast<int>(img.height);
    out->px.resize(static_cast<size_t>(out->w) * out->h);
    for (size_t i = 0; i < out->px.size(); ++i)
        out->px[i] = (buf[i * 3] << 16) | (buf[i * 3 + 1] << 8) | buf[i * 3 + 2];
    return true;
}
