// The voice: the tokens of a voice text and the words and bytes they give, captions, radio
// noise and echo, the format boxes, the speakers' voices and the announcements' two voices.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "memory_words.h"
#include "radio_fixture.h"
#include "wynplat.h"

namespace {

const char* const kFolder = "V\\";

// Every word the cases speak, with a size of its own so that byte counts tell them apart.
const std::map<std::string, size_t> kWords = {
    {"0", 1000},         {"1", 1010},    {"2", 1020},      {"3", 1030},    {"4", 1040},
    {"5", 1050},         {"6", 1060},    {"7", 1070},      {"8", 1080},    {"9", 1090},
    {"LEFT", 300},       {"RIGHT", 310}, {"DECIMAL", 320}, {"1000", 400},  {"100", 410},
    {"JA", 420},         {"W", 430},     {"north", 440},   {"#1000", 500}, {"#200", 510},
    {"#30", 520},        {"#4", 530},    {"#100", 540},    {"#5", 550},    {"roger", 600},
    {"hold_short", 610}, {"-", 620},     {"G", 630},       {"12", 640},    {"日航整備_21", 650},
};

class Voice : public ::testing::Test {
  protected:
    void SetUp() override {
        memwords::Words().clear();
        for (const auto& [word, size] : kWords) memwords::Put(kFolder, "mla", word, size);
        memwords::PutFile(std::string(kFolder) + "space.wav", 700);
        memwords::PutFile(std::string(kFolder) + "error.wav", 50);
        SetVoiceWordStore(&memwords::kStore);
        VoiceInit(nullptr, kFolder);
        memwords::Log().clear();
    }
    void TearDown() override {
        if (wave_.data) TOV_WaveFree(&wave_);
        VoiceEnd();
        SetVoiceWordStore(nullptr);
        memwords::Words().clear();
    }
    // Builds `text` with voice mla; the words read in order (without folder and extension).
    std::vector<std::string> Build(const std::string& text, int noise = 0, int echo = 0) {
        memwords::Log().clear();
        BuildVoice("mla", text.c_str(), &wave_, caption_, noise, echo);
        std::vector<std::string> words;
        for (std::string p : memwords::Log()) {
            p = p.substr(std::strlen(kFolder));
            if (p.rfind("mla\\", 0) == 0) p = p.substr(4);
            words.push_back(p.substr(0, p.size() - 4));
        }
        return words;
    }
    std::vector<uint8_t> Samples() const {
        return wave_.data ? std::vector<uint8_t>(wave_.data, wave_.data + wave_.size)
                          : std::vector<uint8_t>();
    }
    tagTOVWAVE wave_ = {};
    char caption_[kAtcText] = {};
};

size_t Bytes(const std::vector<std::string>& words) {
    size_t n = 0;
    for (const std::string& w : words) n += w == "space" ? 700 : w == "error" ? 50 : kWords.at(w);
    return n;
}

}  // namespace

TEST_F(Voice, TokensGiveTheirWordsAndBytes) {
    struct Case {
        const char* text;
        std::vector<std::string> words;
        size_t pause;  // silent bytes added
    };
    const Case cases[] = {
        {"34L", {"3", "4", "LEFT"}, 0},
        {"16R", {"1", "6", "RIGHT"}, 0},
        {"118.1", {"1", "1", "8", "DECIMAL", "1"}, 0},
        {"118.", {"1", "1", "8"}, 0},
        {"3500", {"3", "1000", "5", "100"}, 0},
        {"4000", {"4", "1000"}, 0},
        {"12000", {"1", "2", "1000"}, 0},
        {"15400", {"1", "5", "1000", "4", "100"}, 0},
        {"123456", {}, 0},
        {"JA8123", {"JA", "8", "1", "2", "3"}, 0},
        {"JA005G", {"JA", "0", "0", "5", "G"}, 0},
        {"W5N", {"W", "5", "north"}, 0},
        {"W12", {"W", "12"}, 0},
        {"#1234", {"#1000", "#200", "#30", "#4"}, 0},
        {"#105", {"#100", "#5"}, 0},
        {"#0", {}, 0},
        {"#12345", {}, 0},
        {"%2101", {"2", "1", "0", "1"}, 0},
        {"-5", {"-", "5"}, 0},
        {"@[\\][ ]", {"space"}, 0},
        {"roger.", {"roger"}, 4096},
        {"roger, roger\\roger\troger", {"roger", "roger", "roger", "roger"}, 0},
        {"hold/short", {"hold_short"}, 0},
        {"日航整備_21", {"日航整備_21"}, 0},
        {"@[#123][123]", {"error"}, 0},  // a bracket word is one word, not a number
        {"", {}, 0},
        {" , \\ ", {}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Build(c.text), c.words) << c.text;
        EXPECT_EQ(size_t(wave_.size), Bytes(c.words) + c.pause) << c.text;
    }
}

TEST_F(Voice, MissingWordsTakeTheErrorWaveAndAreCounted) {
    EXPECT_EQ(Build("roger wilco. 1 nothing"),
              (std::vector<std::string>{"roger", "error", "1", "error"}));
    EXPECT_EQ(size_t(wave_.size), 600 + 50 + 4096 + 1010 + 50u);
    const char* words = nullptr;
    EXPECT_EQ(GetVoiceMissing(&words), 2);
    EXPECT_STREQ(words, "wilco nothing");
    // Without error.wav the word is left out.
    memwords::Words().erase(std::string(kFolder) + "error.wav");
    EXPECT_EQ(Build("roger wilco"), (std::vector<std::string>{"roger"}));
    EXPECT_EQ(GetVoiceMissing(nullptr), 1);
    // The first word read is the wave; a failed first word leaves the next one first.
    EXPECT_EQ(AppendVoiceWord("mla", &wave_, ""), 1);
    EXPECT_EQ(AppendVoiceWord("mla", &wave_, "nope"), 0);
}

TEST_F(Voice, CaptionsAndTokensOfBracketWords) {
    struct Case {
        const char* text;
        const char* caption;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"@[#123][123] hold_short", "123 hold short", {"#123", "hold_short"}},
        {"ANA %123, roger.", "ANA 123, roger.", {"ANA", "%123", "roger."}},
        {"@[a][x]@[b][y]", "xy", {"a", "b"}},
        {"@[a][x", "x", {"a"}},  // an "@[" without its second "]" ends at the end
        {"@[abc", "", {"abc"}},  // nor its first
        {"%#_", " ", {"%", "#", "_"}},
        // Shift-JIS characters whose second byte is '\', ']' or '_' stay whole.
        {"ソ表_ダ", "ソ表 ダ", {"ソ表_ダ"}},
        {"@[x][ゾ]y", "ゾy", {"x", "y"}},
    };
    for (const Case& c : cases) {
        Build(c.text);
        EXPECT_STREQ(caption_, c.caption) << c.text;
        std::vector<std::string> tokens;
        char token[kAtcText];
        for (const char* p = c.text; *p;) {
            const char* next = NextVoiceToken(p, token);
            if (next == p) break;
            if (*token || *next) tokens.push_back(token);
            p = next;
        }
        EXPECT_EQ(tokens, c.tokens) << c.text;
    }
}

TEST_F(Voice, PilotSpeechIsMixedWithTheNoise) {
    memwords::PutFile(std::string(kFolder) + "noise.wav", 2).samples = {100, 200};
    LoadVoiceNoise();
    memwords::Put(kFolder, "mla", "s", 4).samples = {128, 228, 28, 255};
    Build("s", 1);
    // noise + trunc((s - 128) x 70 / 100), in 8 bits with wrap-around.
    EXPECT_EQ(Samples(), (std::vector<uint8_t>{100, 14, 30, 32}));
    Build("s", 0);
    EXPECT_EQ(Samples(), (std::vector<uint8_t>{128, 228, 28, 255}));
    // A missing or empty noise wave leaves the speech as it is.
    for (size_t n : {size_t(0), size_t(2)}) {
        memwords::Words().erase(std::string(kFolder) + "noise.wav");
        if (n) memwords::PutFile(std::string(kFolder) + "noise.wav", n).samples.clear();
        LoadVoiceNoise();
        Build("s", 1);
        EXPECT_EQ(Samples(), (std::vector<uint8_t>{128, 228, 28, 255})) << n;
    }
}

TEST_F(Voice, AnnouncementsEchoAfter1200Samples) {
    memwords::Put(kFolder, "mla", "short", 1200).samples[0] = 228;
    Build("short", 0, 1);
    std::vector<uint8_t> s = Samples();
    EXPECT_EQ(s[0], 228);
    for (size_t i = 1; i < s.size(); ++i) ASSERT_EQ(s[i], 128) << i;

    memwords::Put(kFolder, "mla", "long", 2500).samples[0] = 228;
    Build("long", 0, 1);
    s = Samples();
    // sample[i + 1200] = trunc((s[i] - 128) x 30 / 100) + trunc((s[i + 1200] - 128) x 70 / 100)
    // + 128, forward, so an echo echoes again.
    for (size_t i = 1; i < s.size(); ++i) {
        const int want = i == 1200 ? 158 : i == 2400 ? 137 : 128;
        ASSERT_EQ(s[i], want) << i;
    }
}

TEST_F(Voice, TheFirstWordsFormatIsChecked) {
    struct Case {
        const char* what;
        int rate, bits, channels;
        const char* text;  // empty: no box
    };
    const Case cases[] = {
        {"22050 Hz", 22050, 8, 1, "音源データ V\\mla\\f.wav は、11.025KHzではありません。"},
        {"16-bit", 11025, 16, 1, "音源データ V\\mla\\f.wav は、8ビットではありません。"},
        {"stereo", 11025, 8, 2, "音源データ V\\mla\\f.wav は、モノラルではありません。"},
        {"11025 Hz 8-bit mono", 11025, 8, 1, ""},
    };
    for (const Case& c : cases) {
        memwords::Word& w = memwords::Put(kFolder, "mla", "f", 10);
        w.rate = c.rate, w.bits = c.bits, w.channels = c.channels;
        const int before = WynPlat_MessageBoxCount();
        Build("f f");  // the second word is not checked
        EXPECT_EQ(WynPlat_MessageBoxCount() - before, *c.text ? 1 : 0) << c.what;
        if (!*c.text) continue;
        char caption[64], text[512], want[512];
        ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
        EXPECT_STREQ(caption, "ATCVOICE");
        WynPlat_ToUtf8(c.text, 932, want, sizeof want);
        EXPECT_STREQ(text, want) << c.what;
    }
}

TEST(Speakers, DefaultListsHaveThePartsCounts) {
    SpeakerRecord s[kSpeakers];
    auto items = [](const char* list) {
        int n = *list ? 1 : 0;
        for (const char* p = list; *p; ++p) n += *p == ',';
        return n;
    };
    CopyDefaultSpeakerLists(s, 0);
    for (int i = 0; i < kSpeakers; ++i) {
        const int want = i == 0 || i == 3 || i == 4 ? 14
                         : i == 1 || i == 2         ? 8
                         : i == 5 || i == 6         ? 1
                         : i == 7                   ? 2
                         : i <= 21                  ? 4
                         : i <= 24                  ? 2
                         : i == 25                  ? 12
                         : i == 26                  ? 3
                         : i == 27                  ? 2
                         : i == 28                  ? 1
                                                    : 11;
        EXPECT_EQ(items(s[i].list), want) << i;
    }
    CopyDefaultSpeakerLists(s, 1);
    for (int i : {0, 1, 2, 3, 4, 41, 42}) EXPECT_EQ(items(s[i].list), 8) << i;
    EXPECT_EQ(items(s[40].list), 11);
}

TEST(Speakers, TheDefaultListsGiveEachPositionAVoiceOfItsOwn) {
    // Whatever the random picks: the five controllers speak with five voices, none of them a
    // voice of the pilots of aircraft IDs 0-10 (speakers 29-39), who each speak their own.
    for (int otherset = 0; otherset < 2; ++otherset)
        for (unsigned round = 0; round < 64; ++round) {
            std::srand(round * 7919u + 1u);
            SpeakerRecord s[kSpeakers];
            CopyDefaultSpeakerLists(s, otherset);
            AssignSpeakerVoices(s, kSpeakers);
            std::set<std::string> controllers, pilots;
            for (int i = 0; i <= 4; ++i) controllers.insert(s[i].voice);
            EXPECT_EQ(controllers.size(), 5u) << "set " << otherset << " round " << round;
            for (int i = 29; i <= 39; ++i) {
                EXPECT_TRUE(pilots.insert(s[i].voice).second)
                    << "speaker " << i << " shares " << s[i].voice << ", round " << round;
                EXPECT_EQ(controllers.count(s[i].voice), 0u)
                    << "speaker " << i << " speaks as a controller, round " << round;
            }
        }
}

TEST(Speakers, ShortestListsChooseFirstAndTakenVoicesComeLast) {
    struct Case {
        const char* what;
        std::vector<const char*> lists;
        std::vector<std::vector<std::string>> allowed;  // per speaker
    };
    const Case cases[] = {
        {"two speakers with one same word both get it", {"aaa", "aaa"}, {{"aaa"}, {"aaa"}}},
        {"the shorter list chooses first", {"aaa,bbb", "aaa"}, {{"bbb"}, {"aaa"}}},
        {"equal lengths keep table order; the second gets the one left",
         {"aaa,bbb", "bbb,aaa"},
         {{"aaa", "bbb"}, {"aaa", "bbb"}}},
        {"an empty list and one without items give no voice",
         {"", ",,,", "ccc"},
         {{""}, {""}, {"ccc"}}},
        {"names are cut to seven characters", {"abcdefghij"}, {{"abcdefg"}}},
        {"empty items are skipped", {",ddd,,"}, {{"ddd"}}},
    };
    for (int round = 0; round < 8; ++round) {
        for (const Case& c : cases) {
            std::vector<SpeakerRecord> s(c.lists.size());
            for (size_t i = 0; i < s.size(); ++i) {
                std::strcpy(s[i].list, c.lists[i]);
                std::strcpy(s[i].voice, "junk");
            }
            AssignSpeakerVoices(s.data(), int(s.size()));
            for (size_t i = 0; i < s.size(); ++i) {
                const auto& ok = c.allowed[i];
                EXPECT_NE(std::find(ok.begin(), ok.end(), s[i].voice), ok.end())
                    << c.what << ": speaker " << i << " got " << s[i].voice;
            }
            if (std::string(c.what).rfind("equal", 0) == 0) {
                EXPECT_STRNE(s[0].voice, s[1].voice);
            }
        }
    }
    EXPECT_EQ(ClampSpeaker(48), 48);
    EXPECT_EQ(ClampSpeaker(49), 29);
    EXPECT_EQ(ClampSpeaker(-1), 29);
}

TEST_F(Voice, AnnouncementsTakeVoice7Then8) {
    WynPlat_SetVirtualClock(1);
    int failed = 0;
    ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 0), 1);
    RadioWorld w;
    SetText(w.A(0).airlinee, "All Nippon");
    w.Announcements({{0, 0, "@[roger][了解] $C"}, {1, 0, "x"}});
    w.O(0).flight = 12;
    CopyDefaultSpeakerLists(GetSpeakerRecords(), 0);
    for (int i = 0; i < kSpeakers; ++i) std::strcpy(GetSpeakerRecords()[i].voice, "mla");
    EXPECT_EQ(SpeakAnnouncement(0, 18, 0, 0), 1);
    EXPECT_NE(TOV_WaveStatus(7), 0);
    EXPECT_EQ(TOV_WaveStatus(8), 0);
    // roger, then the flight number's digits.
    EXPECT_EQ(GetVoiceWave(7)->size, 600 + 1010 + 1020);
    EXPECT_EQ(SpeakAnnouncement(0, 99, 0, 0), 1);  // a speaker past 48 speaks as 29
    EXPECT_NE(TOV_WaveStatus(8), 0);
    EXPECT_EQ(SpeakAnnouncement(0, 18, 0, 0), 0);
    TOV_End2();
    for (int v : {7, 8}) TOV_WaveFree(GetVoiceWave(v));
    WynPlat_SetVirtualClock(0);
}

namespace {

// A RIFF WAVE file with the fixed 44-byte header.
std::string WaveFile(const std::vector<uint8_t>& data, int rate = 11025, int bits = 8,
                     int channels = 1) {
    std::string f;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) f.push_back(char(v >> (8 * i)));
    };
    f += "RIFF";
    put(uint32_t(36 + data.size()), 4);
    f += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(uint32_t(channels), 2);
    put(uint32_t(rate), 4);
    put(uint32_t(rate * channels * bits / 8), 4);
    put(uint32_t(channels * bits / 8), 2);
    put(uint32_t(bits), 2);
    f += "data";
    put(uint32_t(data.size()), 4);
    f.append(data.begin(), data.end());
    return f;
}

}  // namespace

// The voice folder's files, as the game reads them: through the platform's resolver (any case,
// Shift-JIS names of UTF-8 files), each word's samples in order, a message built twice the same.
TEST(VoiceFiles, AssemblesWordFilesInOrder) {
    const std::string dir = "scratch_voice_" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    const auto put = [&](const std::string& rel, const std::string& bytes) {
        const std::filesystem::path p = std::filesystem::path(dir) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    };
    const auto samples = [](size_t n, uint8_t v) { return std::vector<uint8_t>(n, v); };
    put("mla/roger.wav", WaveFile(samples(300, 10)));
    put("mla/3.wav", WaveFile(samples(200, 30)));
    put("mla/4.wav", WaveFile(samples(210, 40)));
    put("mla/LEFT.wav", WaveFile(samples(220, 50)));
    put(reinterpret_cast<const char*>(u8"mla/日航整備_21.wav"), WaveFile(samples(230, 60)));
    put("mla/wide.wav", WaveFile(std::vector<uint8_t>(400, 0x80), 11025, 16));
    put("space.wav", WaveFile(samples(100, 128)));
    put("error.wav", WaveFile(samples(50, 250)));
    SetVoiceWordStore(nullptr);
    VoiceInit(nullptr, (dir + "\\").c_str());
    std::vector<uint8_t> want;
    for (auto [n, v] : {std::pair<size_t, uint8_t>{300, 10},
                        {4096, 128},
                        {200, 30},
                        {210, 40},
                        {220, 50},
                        {100, 128},
                        {230, 60},
                        {50, 250}})
        want.insert(want.end(), n, v);
    for (int round = 0; round < 2; ++round) {
        tagTOVWAVE wave = {};
        char caption[kAtcText];
        BuildVoice("MLA", "ROGER. 34L @[\\][ ]日航整備_21 nothing", &wave, caption, 0, 0);
        ASSERT_NE(wave.data, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(wave.data, wave.data + wave.size), want) << round;
        EXPECT_STREQ(caption, "ROGER. 34L  日航整備 21 nothing");
        EXPECT_EQ(GetVoiceMissing(nullptr), 1);
        TOV_WaveFree(&wave);
    }
    // The first word's stored format is checked (the reader turned the 16 bits into 8).
    const int before = WynPlat_MessageBoxCount();
    tagTOVWAVE wave = {};
    char caption[kAtcText];
    BuildVoice("mla", "wide wide", &wave, caption, 0, 0);
    EXPECT_EQ(WynPlat_MessageBoxCount() - before, 1);
    TOV_WaveFree(&wave);
    VoiceEnd();
    std::filesystem::remove_all(dir);
}
