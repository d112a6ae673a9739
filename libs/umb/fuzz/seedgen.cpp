// Writes the seed corpora of the picture readers' fuzz targets: pictures through the
// library's own writers (raw and coded, with half-transparency, keys and placement), the
// 8-bit form and BMP files of every depth the reader takes.
//   umb_seedgen <picture dir> <8-bit dir> <bmp dir>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "umb_internal.h"
#include "wynplat.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Put(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
void U8(Bytes& b, int v) { b.push_back(uint8_t(v)); }
void U16(Bytes& b, int v) {
    U8(b, v & 255);
    U8(b, (v >> 8) & 255);
}
void U32(Bytes& b, uint32_t v) {
    U16(b, int(v & 0xFFFF));
    U16(b, int(v >> 16));
}
void Tag(Bytes& b, const char* t) { b.insert(b.end(), t, t + 4); }

std::string Sys(const std::string& linuxPath) {
    char buf[1024];
    std::string abs = std::filesystem::absolute(linuxPath).string();
    return WynPlat_ToSystemPath(abs.c_str(), buf, sizeof buf) ? buf : linuxPath;
}

void Pictures(const std::string& dir) {
    struct Shape {
        int w, h, kind;
    };
    const Shape shapes[] = {{1, 1, 0}, {7, 3, 1}, {13, 5, 2}, {40, 4, 3}, {300, 2, 0}, {6, 6, 4}};
    int n = 0;
    for (const Shape& s : shapes) {
        tagCELL cell{};
        if (!UMBDLL_CreateCell(&cell, s.w, s.h)) continue;
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                ZEMPIXEL p = 0;
                switch (s.kind) {
                    case 0:
                        p = 0x1234;
                        break;  // runs
                    case 1:
                        p = UMB_MakePixel(x % 32, y % 32, (x + y) % 32);
                        break;  // steps
                    case 2:
                        p = ZEMPIXEL(x * 2654435761u >> 7);
                        break;  // literals
                    case 3:
                        p = ZEMPIXEL((x / 5) * 0x0421 | ((x % 7 == 0) ? 0x8000 : 0));
                        break;
                    default:
                        p = ZEMPIXEL(0x8000 | (x * 0x111));
                        break;  // all half
                }
                cell.bits[y * s.w + x] = p;
            }
        cell.mask = s.kind == 1 ? 0x001F : CELL_MASK_NONE;
        cell.xpos = s.w;
        cell.yoffset = 2;
        for (int coded = 0; coded < 2; ++coded) {
            std::string path = dir + "/pic" + std::to_string(n++) + ".umb";
            UMBDLL_WriteUMB16(Sys(path).c_str(), &cell, "SEED", coded, nullptr);
        }
        UmbFree(cell.bits);
    }
}

void EightBit(const std::string& dir) {
    for (int packed = 0; packed < 2; ++packed) {
        Bytes f;
        Tag(f, "RIFF");
        U32(f, 56);
        Tag(f, "SEED");
        Tag(f, "fmt ");
        U32(f, 36);
        U32(f, 0x00020001);
        U32(f, 1);
        U32(f, 0);
        U32(f, 0);
        U32(f, 0);
        U32(f, 1);
        U32(f, 0);
        U32(f, 0);
        U32(f, 0);
        Tag(f, "pal ");
        U32(f, 36 + 12);
        U32(f, 0);
        U8(f, 0xF0);
        for (int i = 1; i < 32; ++i) U8(f, 0);
        for (int i = 0; i < 4; ++i) {
            U8(f, i * 60);
            U8(f, 255 - i * 60);
            U8(f, i * 20);
        }
        Bytes data;
        if (packed) {
            U8(data, 0x00);
            U8(data, 5);
            U8(data, 1);     // six 1s
            U8(data, 0x22);  // a 2
            U8(data, 0x10);
            U8(data, 6);
            U8(data, 4);     // five copied from seven back
            U8(data, 0x0E);  // the byte 14 (no colour)
            U8(data, 0x00);
            U8(data, 3);
            U8(data, 3);  // four 3s
            U8(data, 0x0F);
        } else {
            for (int i = 0; i < 17; ++i) U8(data, i % 4);
        }
        Tag(f, "bmp ");
        U32(f, uint32_t(data.size() + 24));
        U16(f, packed ? 17 : 17);
        U16(f, 1);
        U32(f, 0);
        U16(f, 1);
        U16(f, 2);
        U16(f, 3);
        U16(f, 4);
        U16(f, 8);
        U16(f, packed);
        U16(f, packed ? 3 : 0xFFFF);
        U16(f, 0);
        f.insert(f.end(), data.begin(), data.end());
        // The fuzz target supplies the 56-byte header itself.
        Put(dir + "/pic8_" + std::to_string(packed) + ".bin", Bytes(f.begin() + 56, f.end()));
    }
}

Bytes Bmp(int bits, int width, int height, int colours, bool gap) {
    size_t rowBytes = (size_t(width) * size_t(bits) + 31) / 32 * 4;
    size_t rows = rowBytes * size_t(height < 0 ? -height : height);
    size_t palette = bits <= 8 ? size_t(colours) * 4 : 0;
    uint32_t offset = uint32_t(54 + palette + (gap ? 8 : 0));
    Bytes b;
    U8(b, 'B');
    U8(b, 'M');
    U32(b, uint32_t(offset + rows));
    U32(b, 0);
    U32(b, offset);
    U32(b, 40);
    U32(b, uint32_t(width));
    U32(b, uint32_t(height));
    U16(b, 1);
    U16(b, bits);
    U32(b, 0);
    U32(b, 0);
    U32(b, 2835);
    U32(b, 2835);
    U32(b, bits <= 8 ? uint32_t(colours) : 0);
    U32(b, 0);
    for (size_t i = 0; i < palette / 4; ++i) U32(b, uint32_t(i * 0x00102030u));
    if (gap) b.insert(b.end(), 8, 0xEE);
    for (size_t i = 0; i < rows; ++i) U8(b, int(i * 37 % 256));
    return b;
}

void Bmps(const std::string& dir) {
    Put(dir + "/b1.bmp", Bmp(1, 9, 3, 2, false));
    Put(dir + "/b4.bmp", Bmp(4, 5, 2, 16, false));
    Put(dir + "/b4few.bmp", Bmp(4, 3, 2, 3, false));
    Put(dir + "/b8.bmp", Bmp(8, 7, 3, 256, true));
    Put(dir + "/b24.bmp", Bmp(24, 3, 2, 0, false));
    Put(dir + "/b24top.bmp", Bmp(24, 2, -3, 0, true));
    // And one through the library's own writer.
    tagCELL cell{};
    if (UMBDLL_CreateCell(&cell, 5, 3)) {
        for (int i = 0; i < 15; ++i) cell.bits[i] = ZEMPIXEL(i * 0x0842);
        UMBDLL_WriteBMP24(Sys(dir + "/written.bmp").c_str(), &cell);
        UmbFree(cell.bits);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: umb_seedgen <picture dir> <8-bit dir> <bmp dir>\n");
        return 2;
    }
    for (int i = 1; i < 4; ++i) std::filesystem::create_directories(argv[i]);
    Pictures(argv[1]);
    EightBit(argv[2]);
    Bmps(argv[3]);
    return 0;
}
