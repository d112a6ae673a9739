// The Ogg decoder: a stream made by the wave tool decodes to a 44-byte header and 16-bit
// PCM of the right length; anything else is refused without a block.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "ovd10.h"

namespace {

std::vector<char> ReadAll(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

uint32_t U32(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

TEST(OggDecoder, DecodesToHeaderAndPcm) {
    std::vector<char> ogg = ReadAll("sound/theme.rvg");
    ASSERT_FALSE(ogg.empty()) << "sound/theme.rvg is missing";
    HGLOBAL h = nullptr;
    tagRVG_HED_DATA info{};
    ASSERT_EQ(RuvOggDecoder(ogg.data(), DWORD(ogg.size()), &h, &info), RUV_OK);
    ASSERT_NE(h, nullptr);
    auto* p = static_cast<const BYTE*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[22], 2);             // channels
    EXPECT_EQ(U32(p + 24), 22050u);  // rate
    EXPECT_EQ(p[34], 16);            // bits
    const uint32_t bytes = U32(p + 40);
    EXPECT_EQ(bytes, info.decodeSize);
    EXPECT_EQ(GlobalSize(h), SIZE_T(44) + bytes);
    // 1.2 s of stereo 16-bit at 22050 Hz
    EXPECT_EQ(bytes, 26460u * 4);
    EXPECT_EQ(info.samplingRate, 22050);
    EXPECT_EQ(info.channel, 2);
    // not silent
    int peak = 0;
    for (uint32_t i = 0; i + 1 < bytes; i += 2) {
        int v = int16_t(p[44 + i] | p[45 + i] << 8);
        peak = std::max(peak, std::abs(v));
    }
    EXPECT_GT(peak, 8000);
    GlobalUnlock(h);
    GlobalFree(h);
}

TEST(OggDecoder, RefusesWhatIsNotOgg) {
    std::vector<char> wav = ReadAll("sound/beep.wav");
    ASSERT_FALSE(wav.empty());
    std::vector<char> ogg = ReadAll("sound/theme.rvg");
    std::vector<char> cut(ogg.begin(), ogg.begin() + long(ogg.size() / 3));
    struct Case {
        const char* name;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {{"a RIFF wave", wav.data(), DWORD(wav.size())},
                          {"no bytes", wav.data(), 0},
                          {"null", nullptr, 10},
                          {"garbage", "OggS but not really", 19}};
    for (const auto& c : cases) {
        HGLOBAL h = reinterpret_cast<HGLOBAL>(1);
        EXPECT_NE(RuvOggDecoder(c.data, c.size, &h, nullptr), RUV_OK) << c.name;
        EXPECT_EQ(h, nullptr) << c.name;
    }
    // A stream cut short still gives what could be decoded, or fails cleanly.
    HGLOBAL h = nullptr;
    if (RuvOggDecoder(cut.data(), DWORD(cut.size()), &h, nullptr) == RUV_OK) GlobalFree(h);
}

}  // namespace
