// The sound library on a desktop: tovplay runs in a real window on a virtual X display with
// SDL's audio routed to its disk driver, and the file it writes holds the mix.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool Have(const char* program) {
    std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

TEST(Desktop, PlaysAMixThroughTheAudioDevice) {
    const char* display = std::getenv("DISPLAY");
    const bool hasDisplay = display && *display;
    if (!hasDisplay && !Have("xvfb-run")) GTEST_SKIP() << "no display and no xvfb-run";
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const fs::path dir = fs::path(run ? run : "/tmp") / "desktop";
    fs::create_directories(dir);
    const fs::path raw = dir / "tovplay.raw";
    fs::remove(raw);
    std::string cmd = "env -u WYN_HEADLESS WYN_RUNTIME_DIR='" + dir.string() +
                      "' SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + raw.string() + "' ";
    if (!hasDisplay) cmd += "xvfb-run -a -s '-screen 0 1024x768x24' ";
    cmd += "./tovplay 3";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    std::ifstream f(raw, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    // 22050 Hz stereo 16-bit: 88200 bytes a second. The program plays for three seconds
    // of its clock; the device runs from the start to the end of the library.
    const double seconds = double(bytes.size()) / 88200.0;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 10.0);
    int peak = 0;
    size_t loud = 0;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        const int l = int16_t(uint16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
        peak = std::max(peak, std::abs(l));
        loud += std::abs(l) > 1000;
    }
    EXPECT_GT(peak, 8000);
    EXPECT_GT(loud, size_t(22050));   // more than a second of clearly audible frames
}

}  // namespace
