// The sound library on a desktop: tovplay runs in a real window on a virtual X display with
// SDL's audio routed to its disk driver, and the file it writes holds the mix.
#include <gtest/gtest.h>
#include <png.h>

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
    EXPECT_GT(loud, size_t(22050));  // more than a second of clearly audible frames
}

// movieplay in a real window, closed 450 ms into a movie of eight frames at ten a second:
// its last picture is a frame past the first (a ground of the frame's colour with a white
// band), stretched into the rectangle (40,30)-(280,210) of a black window. The movie keeps
// the audio device's time, which runs on the machine's clock here.
TEST(Desktop, PlaysAMovieIntoAWindow) {
    const char* display = std::getenv("DISPLAY");
    const bool hasDisplay = display && *display;
    if (!hasDisplay && !Have("xvfb-run")) GTEST_SKIP() << "no display and no xvfb-run";
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const fs::path dir = fs::path(run ? run : "/tmp") / "desktop-movie";
    fs::create_directories(dir);
    const fs::path shot = dir / "movie.png";
    fs::remove(shot);
    std::string cmd = "env -u WYN_HEADLESS WYN_RUNTIME_DIR='" + dir.string() +
                      "' SDL_AUDIODRIVER=dummy WYN_SCREENSHOT='" + shot.string() + "' ";
    if (!hasDisplay) cmd += "xvfb-run -a -s '-screen 0 1024x768x24' ";
    cmd += "./movieplay 'sound\\movie24.avi' 450";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&img, shot.c_str())) << shot;
    img.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(img));
    ASSERT_TRUE(png_image_finish_read(&img, nullptr, px.data(), 0, nullptr));
    ASSERT_EQ(img.width, 320u);
    ASSERT_EQ(img.height, 240u);
    auto at = [&](int x, int y) {
        const uint8_t* p = px.data() + (size_t(y) * img.width + size_t(x)) * 3;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    // The frames' grounds in order; frame 0's band covers the left edge, later ones move right.
    // The desktop plays on the audio device's real time, so a loaded machine may still show
    // an early frame: any frame of the movie will do, not a particular one.
    const uint32_t kGrounds[] = {0xC03020, 0x20A040, 0x2040C0, 0xC0C020, 0x20C0C0, 0xC020C0};
    int frame = -1;
    for (int k = 0; k < 6; ++k)
        if (at(279, 120) == kGrounds[k]) frame = k;
    EXPECT_GE(frame, 0) << "a frame of the movie fills the rectangle: " << std::hex << at(279, 120);
    bool band = false;
    for (int x = 0; x < 280; ++x) band = band || at(x, 120) == 0xFFFFFFu;
    EXPECT_TRUE(band) << "the frame's band";
    EXPECT_EQ(at(10, 10), 0x000000u) << "the window outside the rectangle";
}

// An audio device that cannot be opened (ALSA asked for a device that is not there) leaves one
// line on stderr, none of the driver's own, and the program plays on silently.
TEST(Desktop, WithoutAnAudioDeviceOneLineSaysSo) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const fs::path dir = fs::path(run ? run : "/tmp") / "desktop-nodevice";
    fs::create_directories(dir);
    const fs::path err = dir / "stderr.txt";
    std::string cmd = "env -u WYN_HEADLESS -u DISPLAY -u WAYLAND_DISPLAY WYN_RUNTIME_DIR='" +
                      dir.string() +
                      "' WYN_BACKEND=sdl WYN_CLOCK=virtual SDL_AUDIODRIVER=alsa "
                      "AUDIODEV=wyn-no-such-device ./tovplay 1 2>'" +
                      err.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::ifstream f(err);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("ALSA lib"), std::string::npos) << text;
    const std::string line = "wyn: no audio device";
    const size_t first = text.find(line);
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(line, first + 1), std::string::npos) << "said once:\n" << text;
}

}  // namespace
