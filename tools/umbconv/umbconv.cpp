// umbconv: the picture maker of the sample data. Its drawing mode draws the pictures and BMP
// textures of a text description (the format heads draw_reader.cpp) into a folder; it also
// converts BMP or PNG to the system's own picture file (raw or coded rows), written by the
// picture-file library's own writer, and a picture file back to PNG (or BMP) to look at it.
//   umbconv -draw description.txt out-folder
//   umbconv [-raw] [-key RRGGBB] [-pos X Y] [-offset X Y] [-form ABCD] in.bmp|in.png out.umb
//   umbconv -png in.umb out.png
//   umbconv -bmp in.umb out.bmp
// PNG alpha: 0 < alpha < 255 marks a pixel half-transparent; alpha 0 gives the key colour
// (with -key). Going back to PNG, half-transparent pixels get alpha 128 and the key colour 0.
#include <png.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "draw.h"
#include "umb33.h"
#include "wynplat.h"

namespace {

std::string Sys(const char* linuxPath) {
    char buf[1024];
    if (!WynPlat_ToSystemPath(linuxPath, buf, sizeof buf)) return linuxPath;
    return buf;
}

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
    return true;
}

bool ReadPng(const char* path, tagCELL* cell, LONG key) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return false;
    if (!UMBDLL_CreateCell(cell, int(image.width), int(image.height))) return false;
    for (size_t i = 0; i < size_t(image.width) * image.height; ++i) {
        const png_byte* p = &rgba[i * 4];
        ZEMPIXEL px =
            UMB_MakePixel(UMB_Channel8To5(p[0]), UMB_Channel8To5(p[1]), UMB_Channel8To5(p[2]));
        if (p[3] == 0 && key != CELL_MASK_NONE)
            px = ZEMPIXEL(key);
        else if (p[3] < 255)
            px |= ZEMPIXEL_HALF;
        cell->bits[i] = px;
    }
    return true;
}

bool WritePng(const char* path, const tagCELL* cell) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(cell->xsize);
    image.height = png_uint_32(cell->ysize);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(size_t(cell->xsize) * size_t(cell->ysize) * 4);
    for (size_t i = 0; i < size_t(cell->xsize) * size_t(cell->ysize); ++i) {
        ZEMPIXEL px = cell->bits[i];
        png_byte* p = &rgba[i * 4];
        p[0] = png_byte(UMB_Channel5To8(UMB_PixelRed(px)));
        p[1] = png_byte(UMB_Channel5To8(UMB_PixelGreen(px)));
        p[2] = png_byte(UMB_Channel5To8(UMB_PixelBlue(px)));
        p[3] = 255;
        if (cell->mask != CELL_MASK_NONE &&
            (px & ZEMPIXEL_COLOUR) == (cell->mask & ZEMPIXEL_COLOUR))
            p[3] = 0;
        else if (px & ZEMPIXEL_HALF)
            p[3] = 128;
    }
    return png_image_write_to_file(&image, path, 0, rgba.data(), 0, nullptr) != 0;
}

// Draws every picture of the description into the folder; stops at the first failure.
int Draw(const char* description, const std::string& folder) {
    std::ifstream in(description, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "umbconv: cannot read %s\n", description);
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    umbdraw::Description d;
    std::string error;
    if (!umbdraw::ReadDescription(text.data(), text.size(), &d, &error)) {
        std::fprintf(stderr, "umbconv: %s: %s\n", description, error.c_str());
        return 1;
    }
    for (const umbdraw::Picture& p : d.pictures) {
        std::vector<ZEMPIXEL> pixels;
        if (!umbdraw::Render(p, &pixels, &error) ||
            !umbdraw::Write(p, pixels, folder + "/" + p.path, &error)) {
            std::fprintf(stderr, "umbconv: %s: %s\n", description, error.c_str());
            return 1;
        }
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: umbconv -draw description.txt out-folder\n"
                 "       umbconv [-raw] [-key RRGGBB] [-pos X Y] [-offset X Y] [-form ABCD] "
                 "in.bmp|in.png out.umb\n"
                 "       umbconv -png in.umb out.png\n"
                 "       umbconv -bmp in.umb out.bmp\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "-draw") == 0) {
        if (argc != 4) return Usage();
        return Draw(argv[2], argv[3]);
    }
    bool raw = false, toPng = false, toBmp = false;
    LONG key = CELL_MASK_NONE;
    int xpos = 0, ypos = 0, xoffset = 0, yoffset = 0;
    std::string form = "UMB ";
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-raw")
            raw = true;
        else if (a == "-png")
            toPng = true;
        else if (a == "-bmp")
            toBmp = true;
        else if (a == "-key" && i + 1 < argc) {
            unsigned long rgb = std::strtoul(argv[++i], nullptr, 16);
            key = UMB_MakePixel(UMB_Channel8To5(int(rgb >> 16 & 255)),
                                UMB_Channel8To5(int(rgb >> 8 & 255)),
                                UMB_Channel8To5(int(rgb & 255)));
        } else if (a == "-pos" && i + 2 < argc) {
            xpos = std::atoi(argv[++i]);
            ypos = std::atoi(argv[++i]);
        } else if (a == "-offset" && i + 2 < argc) {
            xoffset = std::atoi(argv[++i]);
            yoffset = std::atoi(argv[++i]);
        } else if (a == "-form" && i + 1 < argc) {
            form = argv[++i];
            form.resize(4, ' ');
        } else if (!a.empty() && a[0] == '-')
            return Usage();
        else
            files.push_back(argv[i]);
    }
    if (files.size() != 2) return Usage();
    const std::string in = files[0], out = files[1];
    tagCELL cell{};
    if (toPng || toBmp) {
        if (!UMBDLL_ReadUMB(Sys(in.c_str()).c_str(), &cell)) {
            std::fprintf(stderr, "umbconv: cannot read %s\n", in.c_str());
            return 1;
        }
        bool ok = toPng ? WritePng(out.c_str(), &cell)
                        : UMBDLL_WriteBMP24(Sys(out.c_str()).c_str(), &cell) != 0;
        if (!ok) {
            std::fprintf(stderr, "umbconv: cannot write %s\n", out.c_str());
            return 1;
        }
        return 0;
    }
    bool ok = EndsWith(in, ".png") ? ReadPng(in.c_str(), &cell, key)
                                   : UMBDLL_ReadBMP(Sys(in.c_str()).c_str(), &cell) != 0;
    if (!ok) {
        std::fprintf(stderr, "umbconv: cannot read %s\n", in.c_str());
        return 1;
    }
    cell.mask = key;
    cell.xpos = xpos;
    cell.ypos = ypos;
    cell.xoffset = xoffset;
    cell.yoffset = yoffset;
    if (!UMBDLL_WriteUMB16(Sys(out.c_str()).c_str(), &cell, form.c_str(), raw ? 0 : 1, nullptr)) {
        std::fprintf(stderr, "umbconv: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
