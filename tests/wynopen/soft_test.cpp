// The launcher's attract loop in this process with the hardware 3D device refused: the raster
// driver falls back to its emulation and notes "soft" in the engine ini, so each round shows
// the hardware box once and runs no 3D scene. The run has a program folder of its own (the
// engine writes its ini there), set before anything asks for the program folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <windows.h>
#include <wynplat.h>

#include "../common/capture_read.h"
#include "../common/program_output.h"
#include "krn.h"
#include "wynopen.h"

namespace fs = std::filesystem;

namespace {

using programrun::Count;
using programrun::ReadText;

std::string g_run, g_folder;

class OwnProgramFolder : public ::testing::Environment {
  public:
    void SetUp() override {
        const char* base = std::getenv("WYN_RUNTIME_DIR");
        const char* bin = std::getenv("WYN_PROGRAM_DIR");
        ASSERT_NE(base, nullptr);
        ASSERT_NE(bin, nullptr);
        g_run = std::string(base) + "/soft";
        fs::remove_all(g_run);
        g_folder = g_run + "/bin";
        fs::create_directories(g_folder);
        for (const auto& e : fs::directory_iterator(bin)) {
            const std::string name = e.path().filename().string();
            if (name == "krn2.ini")
                fs::copy_file(e.path(), g_folder + "/" + name);
            else
                fs::create_symlink(e.path(), g_folder + "/" + name);
        }
        setenv("WYN_PROGRAM_DIR", g_folder.c_str(), 1);
        setenv("WYN_RUNTIME_DIR", (g_run + "/rt").c_str(), 1);
        setenv("WYN_MSGBOX_LOG", (g_run + "/boxes").c_str(), 1);
        ASSERT_EQ(chdir(g_folder.c_str()), 0);
    }
};
[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new OwnProgramFolder);

TEST(LauncherSoft, EachRoundShowsTheHardwareBoxAndNoScene) {
    char ini[MAX_PATH];
    KRN_GetProFileName(ini);
    ASSERT_NE(std::string(ini).find("\\soft\\bin\\krn2.ini"), std::string::npos) << ini;
    WynPlat_SetVirtualClock(1);
    WynPlat_SetDirect3DRefusal(1);
    const std::string capture = g_run + "/sound.wav";
    ASSERT_EQ(WynPlat_SetAudioCapture(capture.c_str()), 1);
    // A round without 3D: two 3 s movies, the box, 2 s, the prompt's 10 s and its fade, 1 s.
    // The close comes in the third round's first movie.
    ASSERT_GT(WynPlat_ReplayScript("41000 close\n"), 0);
    const int code = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    WynPlat_SetAudioCapture(nullptr);
    WynPlat_SetDirect3DRefusal(0);
    EXPECT_EQ(code, 0);
    const std::string boxes = ReadText(g_run + "/boxes");
    EXPECT_EQ(Count(boxes, reinterpret_cast<const char*>(u8"ハードウェアの問題")), 2) << boxes;
    const std::string written = ReadText(g_folder + "/krn2.ini");
    EXPECT_NE(written.find("EMULATION=soft"), std::string::npos) << written;
    // The movies were heard, the scenes' music never: count the 100 ms windows by their
    // loudest tone.
    const std::vector<int16_t> s = ReadCapture16(capture);
    ASSERT_GT(s.size(), 2u * 22050 * 30);
    const double hz[4] = {440.0, 660.0, 1000.0, 392.0};  // movies, logo scene, airliner scene
    int loudest[4] = {};
    for (size_t at = 0; 2 * (at + 2205) <= s.size(); at += 2205) {
        double best = 1500.0;
        int tone = -1;
        for (int t = 0; t < 4; ++t)
            if (const double l = ToneLevel(s, at, 2205, hz[t]); l > best) {
                best = l;
                tone = t;
            }
        if (tone >= 0) ++loudest[tone];
    }
    EXPECT_GT(loudest[0], 50);
    EXPECT_GT(loudest[1], 50);
    EXPECT_EQ(loudest[2], 0);
    EXPECT_EQ(loudest[3], 0);
}

}  // namespace
