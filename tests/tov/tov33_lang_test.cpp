// tov33 chooses its texts by the country code when it is loaded: run once as a Japanese
// system and once as another one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tov42.h"
#include "wave_fixture.h"

TEST(TOV33_LANG_SUITE, TextsFollowTheCountryCode) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const auto dir = std::filesystem::path(run ? run : "/tmp") / "tov33lang";
    std::filesystem::create_directories(dir);
    // A header that claims more data than the file holds, and a mu-law file in the fixed
    // layout (a 16-byte "fmt " and "data" at byte 36), which is no PCM.
    const std::string paths[] = {
        tovtest::WriteWave(dir / "cut.wav", 22050, 8, 1, {0x80, 0x80}, 100),
        tovtest::WriteWave(dir / "mulaw.wav", 8000, 8, 1, {0xFF, 0x7F, 0x00}, {.tag = 7}),
    };
    for (const std::string& path : paths) {
        tagTOVWAVE w{};
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(TOV_WaveRead(path.c_str(), &w), 0) << path;
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << path;
        char caption[64] = {}, text[256] = {};
        ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
        EXPECT_EQ(std::string(caption), "TOV32(WAVE)") << path;
        const char8_t* want = TOV33_JAPANESE ? u8"サポートされていない形式のファイルです。"
                                             : u8"Unsupported format file.";
        EXPECT_EQ(std::string(text), reinterpret_cast<const char*>(want)) << path;
    }
}
