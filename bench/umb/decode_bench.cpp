// Decoding a 1024x1024 row-coded picture file against libpng decoding the same picture as
// PNG, in one run. The picture mixes what the system's pictures hold: flat areas (runs),
// gradients (steps), noisy detail (literals) and half-transparent edges (mask runs).
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <random>
#include <vector>

#include "umb_internal.h"

namespace {

const int kSize = 1024;

std::vector<ZEMPIXEL> MakePicture() {
    std::vector<ZEMPIXEL> px(size_t(kSize) * kSize);
    std::mt19937 rng(1);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            ZEMPIXEL p;
            if (y < kSize / 3) {
                p = UMB_MakePixel(4, 10 + y * 8 / kSize, 28);  // sky: long runs
            } else if (y < 2 * kSize / 3) {
                p = UMB_MakePixel((x * 31) / kSize, (y * 31) / kSize, ((x + y) * 31) / (2 * kSize));
            } else {
                int v = int(rng() % 6);
                p = UMB_MakePixel(10 + v, 12 + v, 8 + (x & 3));  // textured ground
            }
            if (x % 128 < 4) p |= ZEMPIXEL_HALF;
            px[size_t(y) * kSize + x] = p;
        }
    return px;
}

std::vector<uint8_t> UmbFile(const std::vector<ZEMPIXEL>& px) {
    std::vector<uint8_t> code(UmbEncodeBound(kSize, kSize));
    size_t n = UmbEncodeRows(px.data(), kSize, kSize, code.data(), code.size(), nullptr, nullptr);
    std::vector<uint8_t> f(88, 0);
    wyn::ByteWriter w(f.data(), f.size());
    w.bytes("RIFF", 4);
    w.u32(56);
    w.bytes("BNCH", 4);
    w.bytes("fmt ", 4);
    w.u32(36);
    w.u32(UMB_FORMAT_16);
    w.seek(56);
    w.bytes("bmp ", 4);
    w.u32(uint32_t(n + 32));
    w.u16(kSize);
    w.u16(kSize);
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.u16(16);
    w.u16(1);
    w.u16(0xFFFF);
    w.u16(0);
    f.insert(f.end(), code.begin(), code.begin() + long(n));
    return f;
}

std::vector<uint8_t> PngFile(const std::vector<ZEMPIXEL>& px) {
    std::vector<uint8_t> rgba(px.size() * 4);
    for (size_t i = 0; i < px.size(); ++i) {
        rgba[i * 4] = uint8_t(UMB_Channel5To8(UMB_PixelRed(px[i])));
        rgba[i * 4 + 1] = uint8_t(UMB_Channel5To8(UMB_PixelGreen(px[i])));
        rgba[i * 4 + 2] = uint8_t(UMB_Channel5To8(UMB_PixelBlue(px[i])));
        rgba[i * 4 + 3] = (px[i] & ZEMPIXEL_HALF) ? 128 : 255;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kSize;
    image.height = kSize;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr);
    out.resize(size);
    return out;
}

struct Files {
    std::vector<uint8_t> umb, png;
    Files() {
        std::vector<ZEMPIXEL> px = MakePicture();
        umb = UmbFile(px);
        png = PngFile(px);
    }
};
const Files& Data() {
    static Files f;
    return f;
}

void BM_UmbDecodeCoded1024(benchmark::State& state) {
    const Files& f = Data();
    for (auto _ : state) {
        tagCELL cell;
        if (!UmbParsePicture(f.umb.data(), f.umb.size(), &cell))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(cell.bits);
        UmbFree(cell.bits);
    }
    state.counters["file_bytes"] = double(f.umb.size());
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_UmbDecodeCoded1024)->Unit(benchmark::kMillisecond);

void BM_LibpngDecode1024(benchmark::State& state) {
    const Files& f = Data();
    std::vector<uint8_t> rgba(size_t(kSize) * kSize * 4);
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, f.png.data(), f.png.size()))
            state.SkipWithError("png failed");
        image.format = PNG_FORMAT_RGBA;
        png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr);
        benchmark::DoNotOptimize(rgba.data());
    }
    state.counters["file_bytes"] = double(f.png.size());
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_LibpngDecode1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
