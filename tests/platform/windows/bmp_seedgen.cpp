// Writes the seed corpus of the BMP reader's fuzz target: small files of every depth and
// header form it reads, and a few it refuses.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Bytes {
    std::vector<uint8_t> b;
    void Put(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
};

std::vector<uint8_t> Bmp(int w, int h, int bpp, uint32_t comp, bool core, int colours) {
    int stride = ((w * bpp + 31) / 32) * 4;
    int absH = h < 0 ? -h : h;
    int hdr = core ? 12 : 40;
    int masks = comp == 3 ? 12 : 0;
    int pal = colours * (core ? 3 : 4);
    int off = 14 + hdr + masks + pal;
    Bytes f;
    f.Put('B' | ('M' << 8), 2);
    f.Put(off + stride * absH, 4);
    f.Put(0, 4);
    f.Put(off, 4);
    f.Put(hdr, 4);
    if (core) {
        f.Put(w, 2);
        f.Put(h, 2);
        f.Put(1, 2);
        f.Put(bpp, 2);
    } else {
        f.Put(w, 4);
        f.Put(static_cast<uint32_t>(h), 4);
        f.Put(1, 2);
        f.Put(bpp, 2);
        f.Put(comp, 4);
        f.Put(stride * absH, 4);
        f.Put(0, 4);
        f.Put(0, 4);
        f.Put(colours, 4);
        f.Put(0, 4);
    }
    if (comp == 3) {
        f.Put(0xF800, 4);
        f.Put(0x07E0, 4);
        f.Put(0x001F, 4);
    }
    for (int i = 0; i < colours; ++i) f.Put(0x00102030u * i, core ? 3 : 4);
    for (int i = 0; i < stride * absH; ++i) f.b.push_back(static_cast<uint8_t>(i * 7));
    return f.b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    struct Seed {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Seed> seeds = {
        {"mono.bmp", Bmp(9, 3, 1, 0, false, 2)},     {"nibble.bmp", Bmp(5, 2, 4, 0, false, 16)},
        {"pal8.bmp", Bmp(3, 3, 8, 0, false, 4)},     {"core8.bmp", Bmp(3, 2, 8, 0, true, 256)},
        {"rgb555.bmp", Bmp(3, -2, 16, 0, false, 0)}, {"rgb565.bmp", Bmp(4, 2, 16, 3, false, 0)},
        {"rgb24.bmp", Bmp(3, 3, 24, 0, false, 0)},   {"rgb32.bmp", Bmp(2, -2, 32, 0, false, 0)},
        {"rle8.bmp", Bmp(2, 2, 8, 1, false, 2)},
    };
    auto cut = Bmp(8, 8, 24, 0, false, 0);
    cut.resize(cut.size() - 5);
    seeds.push_back({"cut.bmp", cut});
    for (auto& s : seeds) {
        FILE* f = std::fopen((dir / s.name).c_str(), "wb");
        if (!f) return 1;
        std::fwrite(s.bytes.data(), 1, s.bytes.size(), f);
        std::fclose(f);
    }
    return 0;
}
