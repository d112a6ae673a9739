// Writes the seed corpus of the route preview fuzz target into a folder: each of the sample
// airport's preview files followed by its point table, and edge fixtures (no end word, groups
// that change at every pair, points outside the table, points far outside the radar, a short
// file, no points).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "world/world.h"

namespace {

std::vector<uint8_t> Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
void Save(const std::filesystem::path& p, const std::vector<uint8_t>& a,
          const std::vector<uint8_t>& b = {}) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(a.data()), std::streamsize(a.size()));
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
std::vector<uint8_t> Words(const std::vector<uint32_t>& words) {
    std::vector<uint8_t> b;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(w >> (8 * i)));
    b.resize(kPreviewSize, 0);
    return b;
}
std::vector<uint8_t> Points(const std::vector<TablePoint>& points) {
    std::vector<uint8_t> b(points.size() * 8);
    WritePointFile(points.data(), int(points.size()), b.data(), b.size());
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rtd_seeds <program folder> <seed folder>\n");
        return 2;
    }
    const std::filesystem::path root = std::filesystem::path(argv[1]) / "port" / "rjtt" / "root";
    const std::filesystem::path dir = argv[2];
    std::filesystem::create_directories(dir);
    const std::vector<uint8_t> ptd = Read(root / "rjtt.ptd");
    int samples = 0;
    for (const auto& e : std::filesystem::directory_iterator(root))
        if (e.path().extension() == ".rtd") {
            Save(dir / ("sample_" + e.path().stem().string()), Read(e.path()), ptd);
            ++samples;
        }
    std::vector<uint32_t> all, changing, outside;
    for (int i = 0; i < kPreviewWords; ++i) {
        all.push_back(PreviewWord(1, i % 4));
        changing.push_back(PreviewWord(i, i % 4));
        outside.push_back(PreviewWord(1, i % 2 ? 0xffff : 1));
    }
    const std::vector<uint8_t> square = Points({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
    Save(dir / "no_end_word", Words(all), square);
    Save(dir / "groups_change", Words(changing), square);
    Save(dir / "points_outside_the_table", Words(outside), square);
    Save(dir / "points_far_away",
         Words({PreviewWord(1, 0), PreviewWord(1, 1), PreviewWord(1, 2), kPreviewEnd}),
         Points({{-2000000000, 2000000000}, {2000000000, -2000000000}, {0, 0}}));
    Save(dir / "short", {1, 0, 0, 0, 1, 0});
    Save(dir / "no_points", Words({PreviewWord(1, 0), PreviewWord(1, 1), kPreviewEnd}));
    return samples > 0 ? 0 : 1;
}
