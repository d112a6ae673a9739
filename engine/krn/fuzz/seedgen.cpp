// Writes the seed corpora of the model readers' fuzz targets: DXF texts in the shapes the
// reader must handle and height maps of the exact, a longer and a short size.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
}

static std::string Face(const char* eol, double (*c)[3], bool padded) {
    std::string s = std::string("  0") + eol + "3DFACE" + eol + "  8" + eol + "0" + eol;
    const char* codes[4][3] = {
        {"10", "20", "30"}, {"11", "21", "31"}, {"12", "22", "32"}, {"13", "23", "33"}};
    for (int k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a) {
            char v[64];
            std::snprintf(v, sizeof v, "%g", c[k < 3 ? k : 2][a]);
            s += (padded ? " " : "") + std::string(codes[k][a]) + eol + v + eol;
        }
    return s;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    fs::path dxf = argv[1], ph1 = argv[2];
    fs::create_directories(dxf);
    fs::create_directories(ph1);
    double a[3][3] = {{0, 0, 0}, {12.5, 0, 0}, {0, 10, -3.25}};
    double b[3][3] = {{-1, -2, -3}, {4, 5, 6}, {7, 8, 9}};
    Write(dxf / "two_crlf.dxf", Face("\r\n", a, true) + Face("\r\n", b, true) + "  0\r\nEOF\r\n");
    Write(dxf / "two_lf.dxf", Face("\n", a, false) + Face("\n", b, false) + "0\nEOF\n");
    Write(dxf / "cut.dxf", Face("\n", a, false).substr(0, 60));
    Write(dxf / "values_like_codes.dxf",
          "0\n3DFACE\n10\n20\n20\n30\n30\n10\n11\n21\n21\n31\n31\n11\n12\n22\n22\n32\n32\n12\n");
    std::string flat(40 * 80 * 2, '\0'), ramp(80 * 80 * 2, '\0');
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 80; ++c) ramp[(size_t)(r * 80 + c) * 2] = (char)((r * 7 + c * 3) & 255);
    Write(ph1 / "flat.ph1", flat);
    Write(ph1 / "ramp.ph1", ramp);
    Write(ph1 / "short.ph1", flat.substr(0, 6319));
    return 0;
}
