// The sound library on the headless output: the virtual clock paces the device and the
// capturing sink records what was played, so every case sees exactly the mixed bytes.
#include <gtest/gtest.h>

#include <wynplat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tov42.h"
#include "wave_fixture.h"
#include "../common/capture_read.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// One 4096-byte buffer of 22050 Hz 8-bit stereo: 2048 frames, in microseconds (rounded up).
constexpr uint64_t kBufferMicros = 92880;

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string LastBoxText(std::string* caption = nullptr) {
    char c[256] = {}, t[1024] = {};
    if (!WynPlat_LastMessageBox(c, sizeof c, t, sizeof t)) return "";
    if (caption) *caption = c;
    return t;
}

class Tov : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        dir_ = fs::path(run ? run : "/tmp") / "tov";
        fs::create_directories(dir_);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        capture_ = (dir_ / (std::string(info->name()) + ".wav")).string();
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
    }
    void TearDown() override {
        for (auto& w : waves_) TOV_WaveFree(&w);
        TOV_End2();
        WynPlat_SetAudioCapture(nullptr);
    }

    bool Start(int prequeued = 0) {
        int failed = -1;
        if (TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 1) != 1 || failed != 0) return false;
        if (prequeued) TOV_SetWaveBufferInfo(8, 4096, prequeued);
        return true;
    }
    // Lets `buffers` buffers' worth of time pass, dispatching the library's messages after
    // each: the device finishes a buffer, its message makes the library mix the next.
    void Play(int buffers) {
        for (int i = 0; i < buffers; ++i) {
            WynPlat_AdvanceClock(kBufferMicros);
            TOV_Task();
        }
    }
    // A wave made in the test from sample bytes (owned by the library's allocation table).
    tagTOVWAVE* Wave(int rate, int mode, const Bytes& data) {
        waves_.emplace_back();
        tagTOVWAVE& w = waves_.back();
        std::memset(&w, 0, sizeof w);
        w.rate = rate;
        w.bit = 8;
        w.mode = mode;
        w.size = LONG(data.size());
        w.data = static_cast<BYTE*>(TOV_Alloc2(DWORD(data.size()), "test"));
        std::memcpy(w.data, data.data(), data.size());
        return &w;
    }
    // What was played, back in 8-bit form (L, R, L, R...), from the first sound on.
    Bytes Heard(bool fromStart = false) {
        Bytes out = ReadCapture8(capture_);
        if (fromStart) return out;
        return Bytes(out.begin() + long(FirstSound(out)), out.end());
    }

    fs::path dir_;
    std::string capture_;
    std::deque<tagTOVWAVE> waves_;
};

// ---- reading ----

struct ReadCase {
    const char* path;
    int rate, bit, mode, size;
    std::vector<std::array<int, 3>> segments;  // top, size, bottom
};
const ReadCase kReads[] = {
    {"sound\\beep.wav", 22050, 8, 1, 3308 + 441 + 2646, {}},
    {"sound\\hifi.wav", 22050, 8, 2, 88200 / 4, {}},
    {"sound\\chime.wav", 11025, 8, 2, 2 * (2205 + 3308), {}},
    {"sound\\rumble.wav", 5512, 8, 1, 2205, {}},
    {"sound\\packed.wav", 22050, 8, 1, 1103 + 6615 + 2205, {}},
    {"sound\\engine.wav",
     11025,
     8,
     3,
     3308 + 1 + 2205 + 1 + 4410,
     {{0, 3308, 3308}, {3309, 2205, 5514}, {5515, 4410, 9925}}},
    {"SOUND\\ENGINEP.WAV",
     11025,
     8,
     3,
     3308 + 1 + 2205 + 1 + 4410,
     {{0, 3308, 3308}, {3309, 2205, 5514}, {5515, 4410, 9925}}},
    {"sound\\theme.rvg", 22050, 8, 2, 26460 * 2, {}},
    {"sound\\test\\tool48k.wav", 22050, 8, 2, 4800 * 22050 / 48000 * 2, {}},
};

TEST_F(Tov, ReadsEveryForm) {
    for (const auto& c : kReads) {
        tagTOVWAVE w{};
        ASSERT_EQ(TOV_WaveRead(c.path, &w), 1) << c.path << ": " << LastBoxText();
        EXPECT_EQ(w.rate, c.rate) << c.path;
        EXPECT_EQ(w.bit, c.bit) << c.path;
        EXPECT_EQ(w.mode, c.mode) << c.path;
        EXPECT_EQ(w.size, c.size) << c.path;
        for (size_t i = 0; i < 9; ++i) {
            const bool has = i < c.segments.size();
            EXPECT_EQ(w.blocksize[i], has ? c.segments[i][1] : 0) << c.path << " segment " << i;
            if (has) {
                EXPECT_EQ(w.blocktop[i], c.segments[i][0]) << c.path << " segment " << i;
                EXPECT_EQ(w.blockbottom[i], c.segments[i][2]) << c.path << " segment " << i;
            }
        }
        TOV_WaveFree(&w);
        EXPECT_EQ(w.data, nullptr);
        EXPECT_EQ(w.size, 0);
    }
}

TEST_F(Tov, PackedWavesUnpackToTheirContent) {
    struct Case {
        const char* packed;
        const char* plain;
    };
    const Case cases[] = {{"sound\\packed.wav", "sound\\test\\packedref.wav"},
                          {"sound\\enginep.wav", "sound\\engine.wav"}};
    for (const auto& c : cases) {
        tagTOVWAVE p{}, q{};
        ASSERT_EQ(TOV_WaveRead(c.packed, &p), 1) << c.packed;
        ASSERT_EQ(TOV_WaveRead(c.plain, &q), 1) << c.plain;
        ASSERT_EQ(p.size, q.size) << c.packed;
        int differ = 0;
        for (int i = 0; i < p.size; ++i) {
            // Packing keeps 7 bits; 0xFE comes back as 0xFF.
            uint8_t want = uint8_t(q.data[i] & 0xFE);
            if (want == 0xFE) want = 0xFF;
            differ += p.data[i] != want;
        }
        EXPECT_EQ(differ, 0) << c.packed;
        TOV_WaveFree(&p);
        TOV_WaveFree(&q);
    }
}

// An Ogg page (RFC 3533) holding one packet of up to 255 bytes, its checksum filled in.
Bytes OggPage(uint8_t type, uint32_t sequence, const Bytes& packet) {
    Bytes p = {'O', 'g', 'g', 'S', 0, type};
    p.insert(p.end(), 8, 0);                      // granule position
    p.insert(p.end(), {0x57, 0x59, 0x4E, 0x01});  // stream serial number
    for (int i = 0; i < 4; ++i) p.push_back(uint8_t(sequence >> (8 * i)));
    p.insert(p.end(), 4, 0);  // the checksum, below
    p.push_back(1);
    p.push_back(uint8_t(packet.size()));
    p.insert(p.end(), packet.begin(), packet.end());
    uint32_t crc = 0;
    for (uint8_t b : p) {
        crc ^= uint32_t(b) << 24;
        for (int k = 0; k < 8; ++k) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) p[22 + size_t(i)] = uint8_t(crc >> (8 * i));
    return p;
}

// The first pages of an Ogg Opus file: its identification and comment headers.
Bytes OggOpusHead() {
    Bytes head = {'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, 1, 0x38, 0x01};
    head.insert(head.end(), {0x80, 0xBB, 0, 0, 0, 0, 0});  // 48000 Hz, gain 0, mapping 0
    Bytes tags = {'O', 'p', 'u', 's', 'T', 'a', 'g', 's', 4, 0,
                  0,   0,   't', 'e', 's', 't', 0,   0,   0, 0};
    Bytes file = OggPage(0x02, 0, head);
    const Bytes second = OggPage(0x00, 1, tags);
    file.insert(file.end(), second.begin(), second.end());
    return file;
}

TEST_F(Tov, RefusedFilesShowTheirBox) {
    // A header that claims more data than the file holds; a RIFF wave named like Ogg; an Ogg
    // file of a codec the decoder does not take.
    std::ifstream in("sound/beep.wav", std::ios::binary);
    std::vector<char> beep((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(beep.size(), 100u);
    const fs::path cut = dir_ / "cut.wav", fake = dir_ / "fake.rvg";
    std::ofstream(cut, std::ios::binary).write(beep.data(), std::streamsize(beep.size() - 10));
    std::ofstream(fake, std::ios::binary).write(beep.data(), std::streamsize(beep.size()));
    char cutPath[MAX_PATH], fakePath[MAX_PATH];
    ASSERT_TRUE(WynPlat_ToSystemPath(cut.c_str(), cutPath, sizeof cutPath));
    ASSERT_TRUE(WynPlat_ToSystemPath(fake.c_str(), fakePath, sizeof fakePath));
    const std::string opusPath = tovtest::WriteFile(dir_ / "opus.rvg", OggOpusHead());
    ASSERT_FALSE(opusPath.empty());

    struct Case {
        const char* path;
        bool box;
        std::string caption, text;
    };
    const std::string format = U8(u8"サポートされていない形式のファイルです。");
    const Case cases[] = {
        {"sound\\nothere.wav", true, "TOV40(WAVE)",
         U8(u8"ファイル sound\\nothere.wav がオープンできません。")},
        {cutPath, true, "TOV40(WAVE)", format},
        {fakePath, true, "TOV40(WAVE)", format},
        {opusPath.c_str(), true, "TOV40(WAVE)", format},
    };
    for (const auto& c : cases) {
        tagTOVWAVE w{};
        w.rate = 1234;  // a failed read leaves the record as it was
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(TOV_WaveRead(c.path, &w), 0) << c.path;
        EXPECT_EQ(w.data, nullptr) << c.path;
        EXPECT_EQ(w.rate, 1234) << c.path;
        EXPECT_EQ(WynPlat_MessageBoxCount() - boxes, c.box ? 1 : 0) << c.path;
        if (c.box) {
            std::string caption;
            EXPECT_EQ(LastBoxText(&caption), c.text) << c.path;
            EXPECT_EQ(caption, c.caption) << c.path;
        }
    }
}

TEST_F(Tov, OtherToolsLayoutsReadTheirSamples) {
    const Bytes samples = {0x90, 0xA0, 0xB0, 0xC0, 0xD0};
    int n = 0;
    for (const auto& c : tovtest::ToolLayouts()) {
        const std::string path = tovtest::WriteWave(dir_ / ("tool" + std::to_string(n++) + ".wav"),
                                                    22050, 8, 1, samples, c.layout);
        tagTOVWAVE w{};
        ASSERT_EQ(TOV_WaveRead(path.c_str(), &w), 1) << c.name << ": " << LastBoxText();
        EXPECT_EQ(w.rate * 100 + w.bit * 10 + w.mode, 22050 * 100 + 8 * 10 + 1) << c.name;
        EXPECT_EQ(Bytes(w.data, w.data + w.size), samples) << c.name;
        // Appended, the file's samples follow the record's.
        ASSERT_EQ(TOV_AppendWaveRead(path.c_str(), &w), 1) << c.name;
        Bytes twice = samples;
        twice.insert(twice.end(), samples.begin(), samples.end());
        EXPECT_EQ(Bytes(w.data, w.data + w.size), twice) << c.name;
        TOV_WaveFree(&w);
    }
    for (const auto& c : tovtest::RefusedLayouts()) {
        const std::string path = tovtest::WriteWave(dir_ / ("bad" + std::to_string(n++) + ".wav"),
                                                    22050, 8, 1, samples, c.layout);
        tagTOVWAVE w{};
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(TOV_WaveRead(path.c_str(), &w), 0) << c.name;
        EXPECT_EQ(w.data, nullptr) << c.name;
        ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << c.name;
        std::string caption;
        EXPECT_EQ(LastBoxText(&caption), U8(u8"サポートされていない形式のファイルです。"))
            << c.name;
        EXPECT_EQ(caption, "TOV40(WAVE)") << c.name;
        EXPECT_EQ(TOV_AppendWaveRead(path.c_str(), &w), 0) << c.name;
    }
}

// Waves at rates the mixer has no routine for are converted to 22050 Hz on reading: heard at
// their own length and pitch, before and after the file's LIST chunk.
TEST_F(Tov, OtherRatesPlayAtTheirOwnLengthAndPitch) {
    for (const auto& c : tovtest::kOtherRates) {
        const std::string name = std::to_string(c.rate) + " Hz " + std::to_string(c.bits) +
                                 "-bit " + std::to_string(c.channels) + " ch";
        SCOPED_TRACE(name);
        const tovtest::LevelWave lw{c.rate, c.bits, c.channels, true};
        const std::string path =
            tovtest::WriteWave(dir_ / ("rate" + std::to_string(c.rate) + ".wav"), c.rate, c.bits,
                               c.channels, lw.Samples(), {.beforeData = {tovtest::InfoList()}});
        ASSERT_TRUE(Start());
        tagTOVWAVE* w = &waves_.emplace_back();
        ASSERT_EQ(TOV_WaveRead(path.c_str(), w), 1) << LastBoxText();
        const int frames = int(int64_t(lw.frames()) * 22050 / c.rate);
        EXPECT_EQ(w->rate, 22050);
        EXPECT_EQ(w->bit, 8);
        EXPECT_EQ(w->size, frames * c.channels);
        ASSERT_EQ(TOV_WavePlay(0, w, 1, 0), 0);
        Play(3 + frames / 2048);
        EXPECT_EQ(TOV_WaveStatus(0), 0);
        const Bytes heard = Heard();
        ASSERT_GE(heard.size(), size_t(frames) * 2 + 2);
        for (int k = 0; k < frames; ++k)
            ASSERT_TRUE(lw.Heard(k, 22050, heard[2 * size_t(k)], heard[2 * size_t(k) + 1]));
        EXPECT_EQ(heard[2 * size_t(frames)], 0x80);  // then the wave has ended
        TOV_WaveFree(w);
        TOV_End2();
        WynPlat_SetAudioCapture(capture_.c_str());
    }
}

// Brought down to 22050 Hz, a tone above what that rate holds is filtered out rather than folded
// back below 11025 Hz (where it was heard as distortion); a tone well inside passes as it was.
TEST_F(Tov, TonesAboveWhatTheMixerHoldsDoNotFoldBack) {
    struct Case {
        int rate;
        double hz;
        bool passes;
    };
    const Case cases[] = {
        {44100, 1000, true},   {96000, 1000, true},   {44100, 12000, false},
        {44100, 17000, false}, {44100, 21000, false}, {96000, 15000, false},
        {96000, 30000, false}, {96000, 40000, false}, {48000, 12500, false},
    };
    ASSERT_TRUE(Start());
    const double in = 16383.0 / 256.0;  // the tone's amplitude in 8-bit steps
    for (const auto& c : cases) {
        const std::string name =
            std::to_string(c.rate) + " Hz, a tone of " + std::to_string(int(c.hz)) + " Hz";
        const std::string path = tovtest::WriteWave(
            dir_ / ("tone" + std::to_string(c.rate) + "_" + std::to_string(int(c.hz)) + ".wav"),
            c.rate, 16, 1, tovtest::Tone16(c.rate, c.hz, c.rate / 4));
        tagTOVWAVE w{};
        ASSERT_EQ(TOV_WaveRead(path.c_str(), &w), 1) << name << ": " << LastBoxText();
        ASSERT_EQ(w.rate, 22050) << name;
        ASSERT_GT(w.size, 1000) << name;
        // The middle, away from the ends the filter reaches over.
        std::vector<double> x;
        for (LONG k = 200; k < w.size - 200; ++k) x.push_back(double(w.data[k]) - 128.0);
        TOV_WaveFree(&w);
        if (c.passes) {
            const double db = 20.0 * std::log10(tovtest::ToneAmplitude(x, 22050, c.hz) / in);
            EXPECT_NEAR(db, 0.0, 1.0) << name;
        } else {
            const double image = tovtest::ImageAt22050(c.hz);
            const double db = 20.0 * std::log10(tovtest::ToneAmplitude(x, 22050, image) / in);
            EXPECT_LT(db, -40.0) << name << ", its image at " << image << " Hz";
        }
    }
}

// A 1000 Hz tone in an Ogg file at 48000 Hz: heard at 22050 Hz, 300 ms long, at its pitch.
TEST_F(Tov, OggAtAnotherRatePlaysAtItsPitch) {
    ASSERT_TRUE(Start());
    tagTOVWAVE* w = &waves_.emplace_back();
    ASSERT_EQ(TOV_WaveRead("sound\\test\\tone48k.rvg", w), 1) << LastBoxText();
    EXPECT_EQ(w->rate, 22050);
    EXPECT_EQ(w->mode, 1);
    EXPECT_EQ(w->size, 14400 * 22050 / 48000);
    ASSERT_EQ(TOV_WavePlay(0, w, 1, 0), 0);
    Play(3 + w->size / 2048);
    const Bytes heard = Heard(true);
    EXPECT_LT(tovtest::ToneError(heard, 0, w->size, 22050, 2), 2.0);  // the codec is lossy
}

TEST_F(Tov, OggExtensionIgnoresCase) {
    TOV_OggFileExt("RVG");
    tagTOVWAVE w{};
    ASSERT_EQ(TOV_WaveRead("sound\\theme.rvg", &w), 1);
    EXPECT_EQ(w.mode, 2);
    TOV_WaveFree(&w);
    TOV_OggFileExt("ogx");  // no longer an Ogg file: read as a RIFF wave, which it is not
    EXPECT_EQ(TOV_WaveRead("sound\\theme.rvg", &w), 0);
}

// A folder's archive stands in for the folder: sound.vfs holds "beep.wav".
TEST_F(Tov, ReadsThroughTheFolderArchive) {
    std::ifstream in("sound/beep.wav", std::ios::binary);
    std::vector<char> beep((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const fs::path folder = dir_ / "pack";
    fs::create_directories(folder);
    std::vector<uint8_t> a(16 + 36, 0);
    auto put16 = [&](size_t at, unsigned v) {
        a[at] = uint8_t(v);
        a[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) a[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put16(4, 1);   // one entry
    put16(6, 36);  // its meaningful bytes
    put32(8, 36);  // directory length
    std::memcpy(&a[16], "BEEP.WAV", 8);
    put32(16 + 20, uint32_t(a.size()));     // offset
    put32(16 + 24, uint32_t(beep.size()));  // size
    a.insert(a.end(), beep.begin(), beep.end());
    std::ofstream(dir_ / "pack.vfs", std::ios::binary)
        .write(reinterpret_cast<const char*>(a.data()), std::streamsize(a.size()));
    char sys[MAX_PATH];
    ASSERT_TRUE(WynPlat_ToSystemPath((folder / "beep.wav").c_str(), sys, sizeof sys));
    tagTOVWAVE w{};
    ASSERT_EQ(TOV_WaveRead(sys, &w), 1) << LastBoxText();
    EXPECT_EQ(w.size, 3308 + 441 + 2646);
    TOV_WaveFree(&w);
}

TEST_F(Tov, AppendingGrowsTheData) {
    tagTOVWAVE w{};
    ASSERT_EQ(TOV_WaveRead("sound\\beep.wav", &w), 1);
    const int size = w.size;
    ASSERT_EQ(TOV_AppendWaveRead("sound\\beep.wav", &w), 1);
    EXPECT_EQ(w.size, 2 * size);
    ASSERT_EQ(TOV_AppendSpace(&w, 4096, 0), 1);
    EXPECT_EQ(w.size, 2 * size + 4096);
    EXPECT_EQ(w.data[w.size - 1], 0x80);
    ASSERT_EQ(TOV_AppendSpace(&w, 1, 0), 1);  // one millisecond
    EXPECT_EQ(w.size, 2 * size + 4096 + 22);
    EXPECT_EQ(TOV_AppendSpace(&w, -5, 0), 0);
    tagTOVWAVE more{};
    ASSERT_EQ(TOV_WaveRead("sound\\rumble.wav", &more), 1);
    EXPECT_EQ(TOV_AppendWave(&w, &more), &w);
    EXPECT_EQ(w.size, 2 * size + 4096 + 22 + 2205);
    EXPECT_EQ(more.data, nullptr);
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_EQ(TOV_LockWave(&w, &p, &n), 1);
    EXPECT_EQ(p, w.data);
    EXPECT_EQ(n, DWORD(w.size));
    TOV_WaveFree(&w);
    EXPECT_EQ(TOV_LockWave(&w, &p, &n), 0);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(TOV_AppendSpace(&w, 10, 0), 0);
}

TEST_F(Tov, PackExportsRoundTrip) {
    Bytes src(300, 0x40), packed(301), out(300);
    const int len = TOV_WavePack(packed.data(), src.data(), 300);
    EXPECT_EQ(len, 4);
    EXPECT_EQ(TOV_WaveUnPack(out.data(), 300, packed.data()), 300);
    EXPECT_EQ(out, src);
}

// ---- the mix as heard ----

TEST_F(Tov, RatesExpandToTheOutput) {
    struct Case {
        const char* name;
        int rate, mode;
        Bytes in, heard;
    };
    const Case cases[] = {
        {"22050 mono", 22050, 1, {0x90, 0xA0}, {0x90, 0x90, 0xA0, 0xA0}},
        {"22050 stereo", 22050, 2, {0x90, 0x10, 0xA0, 0x20}, {0x90, 0x10, 0xA0, 0x20}},
        {"11025 mono", 11025, 1, {0x90, 0xA0}, {0x90, 0x90, 0x90, 0x90, 0xA0, 0xA0, 0xA0, 0xA0}},
        {"11025 stereo", 11025, 2, {0x90, 0x10}, {0x90, 0x10, 0x90, 0x10}},
        {"5512 mono", 5512, 1, {0x90}, Bytes(8, 0x90)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Start());
        EXPECT_EQ(TOV_WavePlay(0, Wave(c.rate, c.mode, c.in), 1, 0), 0);
        Play(4);
        Bytes heard = Heard();
        heard.resize(std::min(heard.size(), c.heard.size() + 4));
        Bytes want = c.heard;
        want.insert(want.end(), 4, 0x80);  // then silence: the wave played once
        EXPECT_EQ(heard, want);
        TOV_End2();
        WynPlat_SetAudioCapture(capture_.c_str());
    }
}

TEST_F(Tov, VolumesAndClipping) {
    struct Case {
        const char* name;
        int master, local;
        Bytes a, b;  // one or two channels of one stereo frame each
        Bytes heard;
    };
    const Case cases[] = {
        {"full volume", 15, 15, {0xFF, 0x01}, {}, {0xFF, 0x01}},
        {"master 8", 8, 15, {0xFF, 0x00}, {}, {195, 128 - 68}},
        {"local 0 is silent", 15, 0, {0xFF, 0x00}, {}, {}},
        {"two full-scale channels clip", 15, 15, {0xFF, 0x00}, {0xFF, 0x00}, {0xFF, 0x00}},
        {"two channels add", 15, 15, {0xA0, 0x60}, {0x90, 0x70}, {0xB0, 0x50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Start());
        TOV_WaveSetMasterVol(c.master);
        TOV_WaveSetLocalVol(-1, c.local);
        TOV_WavePlay(0, Wave(22050, 2, c.a), 1, 0);
        if (!c.b.empty()) TOV_WavePlay(1, Wave(22050, 2, c.b), 1, 0);
        Play(4);
        Bytes heard = Heard();
        heard.resize(std::min(heard.size(), c.heard.size()));
        EXPECT_EQ(heard, c.heard);
        TOV_End2();
        WynPlat_SetAudioCapture(capture_.c_str());
    }
}

TEST_F(Tov, NothingIsMixedUntilTheMessagesAreDispatched) {
    ASSERT_TRUE(Start());
    TOV_WavePlay(0, Wave(22050, 2, Bytes(200000, 0xC0)), 1, 0);
    // The device plays its two queued (silent) buffers and runs dry: nothing new is mixed.
    WynPlat_AdvanceClock(10 * kBufferMicros);
    WynPlat_AudioCatchUp();
    EXPECT_TRUE(Heard().empty());
    // Dispatching mixes one buffer per finished one: two are outstanding again, and the
    // device plays exactly those two before it runs dry once more.
    TOV_Task();
    WynPlat_AdvanceClock(10 * kBufferMicros);
    WynPlat_AudioCatchUp();
    Bytes heard = Heard();
    size_t sound = 0;
    while (sound < heard.size() && heard[sound] == 0xC0) ++sound;
    EXPECT_EQ(sound, 2u * 4096);
    // With three queued ahead, three buffers play between dispatches.
    ASSERT_EQ(TOV_SetWaveBufferInfo(8, 4096, 3), 1);
    TOV_Task();  // the reopened output's buffers are mixed on open; old notices are ignored
    const size_t before = Heard(true).size();
    WynPlat_AdvanceClock(10 * kBufferMicros);
    WynPlat_AudioCatchUp();
    Bytes after = Heard(true);
    size_t loud = 0;
    for (size_t i = before; i < after.size(); ++i) loud += after[i] == 0xC0;
    EXPECT_EQ(loud, 3u * 4096);
}

TEST_F(Tov, PlayJustStartsWithoutWaitingForTheQueue) {
    struct Case {
        const char* name;
        bool just;
        size_t heardAfterOneBuffer;
    };
    const Case cases[] = {{"play waits behind the two queued buffers", false, 0},
                          {"play just replaces them", true, 4096}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Start());
        Play(2);
        tagTOVWAVE* w = Wave(22050, 2, Bytes(100000, 0xC0));
        EXPECT_EQ(c.just ? TOV_WavePlayJust(0, w, 1, 0) : TOV_WavePlay(0, w, 1, 0), 0);
        TOV_Task();
        WynPlat_AdvanceClock(kBufferMicros);
        WynPlat_AudioCatchUp();
        EXPECT_EQ(Heard().size(), c.heardAfterOneBuffer);
        TOV_End2();
        WynPlat_SetAudioCapture(capture_.c_str());
    }
    EXPECT_EQ(TOV_WavePlayJust(0, Wave(22050, 2, Bytes(10, 0xC0)), 1, 0), -1);  // no output
}

TEST_F(Tov, DeactivationPausesTheOutput) {
    ASSERT_TRUE(Start());
    TOV_WavePlay(0, Wave(22050, 2, Bytes(400000, 0xC0)), 1, 0);
    auto loud = [&] {
        Bytes h = Heard();
        return size_t(std::count(h.begin(), h.end(), uint8_t(0xC0)));
    };
    Play(3);
    const size_t before = loud();
    EXPECT_GT(before, 0u);
    TOV_Activate(0);
    Play(5);
    EXPECT_EQ(loud(), before);
    TOV_Activate(1);
    Play(2);
    EXPECT_GT(loud(), before);
}

TEST_F(Tov, ChannelChoiceAndCounts) {
    ASSERT_TRUE(Start());
    tagTOVWAVE* w = Wave(22050, 1, Bytes(100000, 0x90));
    EXPECT_EQ(TOV_WavePlay(3, w, 1, 0), 3);
    EXPECT_EQ(TOV_WavePlay(4, w, 2, 0), 4);
    EXPECT_EQ(TOV_WavePlay(-3, w, 1, 0), 5);
    EXPECT_EQ(TOV_WavePlay(23, w, 1, 0), 3);  // modulo 20
    EXPECT_EQ(TOV_WavePlay(0, w, 0, 0), -1);  // no count
    EXPECT_EQ(TOV_WaveStatus(4), 2);
    EXPECT_EQ(TOV_WaveStatus(-1), 2);
    EXPECT_EQ(TOV_WavePlayCount(4, 7), 2);
    EXPECT_EQ(TOV_WavePlayCount(9, 7), 0);  // free: nothing set
    EXPECT_EQ(TOV_WaveStatus(9), 0);
    for (int c = 6; c < 20; ++c) TOV_WavePlay(c, w, 1, 0);
    EXPECT_EQ(TOV_WavePlay(-3, w, 1, 0), -1);  // every channel from 3 busy
    TOV_WaveStop(-1);
    EXPECT_EQ(TOV_WaveStatus(-1), 0);
    // An endless channel does not count for the largest count.
    TOV_WavePlay(2, w, -1, 0);
    EXPECT_EQ(TOV_WaveStatus(2), -1);
    EXPECT_EQ(TOV_WaveStatus(-1), 0);
    // The mixed-channel count bounds the search and the status.
    EXPECT_EQ(TOV_WaveMixCount(4), 20);
    EXPECT_EQ(TOV_WavePlay(-4, w, 1, 0), -1);
    EXPECT_EQ(TOV_WaveMixCount(99), 4);
    EXPECT_EQ(TOV_WaveMixCount(-1), 20);
    EXPECT_EQ(TOV_WaveMixCount(20), 0);
    // A wave plays its count of passes, then the channel is free.
    TOV_WaveStop(-1);
    TOV_WavePlay(0, Wave(22050, 2, Bytes(4096, 0x90)), 3, 0);
    Play(1);
    EXPECT_EQ(TOV_WaveStatus(0), 2);  // pre-queued buffers were silent; one mixed since
    Play(3);
    EXPECT_EQ(TOV_WaveStatus(0), 0);
}

TEST_F(Tov, CallsCheckTheirArguments) {
    ASSERT_TRUE(Start());
    tagTOVWAVE* w = Wave(22050, 2, {0x90, 0x90, 0xA0, 0xA0});
    struct Case {
        const char* name;
        int got, want;
    };
    const Case cases[] = {
        {"stop 20", TOV_WaveStop(20), -1},
        {"pause 25", TOV_WavePause(25, 1), -1},
        {"status 99", TOV_WaveStatus(99), 0},
        {"skip 20", TOV_WaveSkip(20, 1), 0},
        {"count 20", TOV_WavePlayCount(20, 1), 0},
        {"local vol 20", TOV_WaveSetLocalVol(20, 5), -1},
        {"get local vol 20", TOV_WaveGetLocalVol(20), 0},
        {"get local vol -1", TOV_WaveGetLocalVol(-1), 0},
        {"fade 20", TOV_WaveFade(20, 5, 100), -1},
        {"pitch 20", TOV_WaveSetPitch(20, 50), -1},
        {"local vol held to 15", (TOV_WaveSetLocalVol(1, 99), TOV_WaveGetLocalVol(1)), 15},
        {"local vol held to 0", (TOV_WaveSetLocalVol(1, -4), TOV_WaveGetLocalVol(1)), 0},
        {"master held to 15", TOV_WaveSetMasterVol(20), 15},
        {"offset past the end", TOV_WavePlay(2, w, 1, 1000), 2},
        {"negative offset", TOV_WavePlay(3, w, 1, -1000), 3},
        {"null wave", TOV_WavePlay(4, nullptr, 1, 0), -1},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    TOV_WaveSetLocalVol(-1, 15);
    Play(4);  // the clamped offsets play inside the wave
    EXPECT_EQ(TOV_WaveStatus(-1), 0);
}

TEST_F(Tov, FreeingAWaveStopsItsChannels) {
    ASSERT_TRUE(Start());
    tagTOVWAVE w{};
    ASSERT_EQ(TOV_WaveRead("sound\\siren.wav", &w), 1);
    TOV_WavePlay(0, &w, -1, 0);
    TOV_WavePlay(1, &w, 1, 0);
    Play(2);
    TOV_WaveFree(&w);
    EXPECT_EQ(TOV_WaveStatus(0), 0);
    EXPECT_EQ(TOV_WaveStatus(1), 0);
    Play(4);  // the mixer no longer touches the freed samples
}

TEST_F(Tov, SegmentsLoopUntilSkipped) {
    ASSERT_TRUE(Start());
    tagTOVWAVE w{};
    ASSERT_EQ(TOV_WaveRead("sound\\test\\levels.wav", &w), 1);
    ASSERT_EQ(w.mode, 3);
    ASSERT_EQ(TOV_WavePlay(0, &w, 1, 0), 0);
    Play(8);
    EXPECT_EQ(TOV_WaveStatus(0), 1);  // the middle segment loops without using the count
    ASSERT_EQ(TOV_WaveSkip(0, 2), 1);
    EXPECT_EQ(TOV_WaveSkip(0, 9), 0);
    Play(4);
    EXPECT_EQ(TOV_WaveStatus(0), 0);
    // Heard: segment 0 (level 60) once, segment 1 (100) again and again, segment 2 (200).
    Bytes heard = Heard();
    std::vector<std::pair<uint8_t, size_t>> runs;
    for (uint8_t b : heard) {
        if (!runs.empty() && runs.back().first == b)
            ++runs.back().second;
        else
            runs.emplace_back(b, 1);
    }
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs[0].first, 60);
    EXPECT_EQ(runs[0].second, 221u * 4);  // 20 ms at 11025 Hz, four bytes a sample
    EXPECT_EQ(runs[1].first, 100);
    EXPECT_GT(runs[1].second, 8u * 221 * 4);
    EXPECT_EQ(runs[2].first, 200);
    EXPECT_EQ(runs[2].second, 221u * 4);
    TOV_WaveFree(&w);
}

TEST_F(Tov, FadesStepOncePerBufferWhileTheClockIsBehind) {
    ASSERT_TRUE(Start());
    TOV_WavePlay(0, Wave(22050, 2, Bytes(400000, 0xC0)), 1, 0);
    EXPECT_EQ(TOV_WaveFade(-1, 5, 1000), -1);
    std::vector<int> seen;
    for (int i = 0; i < 12; ++i) {
        Play(1);
        seen.push_back(TOV_WaveGetMasterVol());
    }
    EXPECT_EQ(seen, (std::vector<int>{14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 5, 5}));
    // Fade targets are held to the volume range; a fade to the current volume does nothing.
    TOV_WaveSetLocalVol(0, 15);
    TOV_WaveFade(0, 40, 1000);
    Play(2);
    EXPECT_EQ(TOV_WaveGetLocalVol(0), 15);
    TOV_WaveFadeOut(0, 150);  // 15 steps of 10 ms
    Play(15);
    EXPECT_EQ(TOV_WaveGetLocalVol(0), 0);
}

// Fading in or out takes 15 steps of ms / 15 each wherever the volume stands, so from a
// middle volume it takes only the steps left, and under 15 ms (steps of 0 ms) it starts no
// fade; a fade to a target takes one step per volume step.
TEST_F(Tov, FadesFromAMiddleVolume) {
    struct Case {
        const char* name;
        int (*fade)(int channel, int ms);
        int ms;
        std::vector<int> volumes;  // after each of the next buffers, from 8
    };
    auto to15 = [](int c, int ms) { return TOV_WaveFade(c, 15, ms); };
    const Case cases[] = {
        {"in over 15 ms", TOV_WaveFadeIn, 15, {9, 10, 11, 12, 13, 14, 15, 15}},
        {"out over 15 ms", TOV_WaveFadeOut, 15, {7, 6, 5, 4, 3, 2, 1, 0, 0}},
        {"in over 14 ms: steps of 0 ms", TOV_WaveFadeIn, 14, {8, 8, 8}},
        {"out over 14 ms: steps of 0 ms", TOV_WaveFadeOut, 14, {8, 8, 8}},
        {"to 15 over 14 ms: seven steps of 2 ms", to15, 14, {9, 10, 11, 12, 13, 14, 15, 15}},
    };
    ASSERT_TRUE(Start());
    TOV_WavePlay(0, Wave(22050, 2, Bytes(400000, 0xC0)), -1, 0);
    for (const auto& c : cases) {
        for (int channel : {0, -1}) {
            channel == -1 ? TOV_WaveSetMasterVol(8) : TOV_WaveSetLocalVol(channel, 8);
            EXPECT_EQ(c.fade(channel, c.ms), channel) << c.name;
            std::vector<int> seen;
            for (size_t i = 0; i < c.volumes.size(); ++i) {
                Play(1);
                seen.push_back(channel == -1 ? TOV_WaveGetMasterVol() : TOV_WaveGetLocalVol(0));
            }
            EXPECT_EQ(seen, c.volumes) << c.name << (channel == -1 ? " (master)" : " (channel)");
            channel == -1 ? TOV_WaveSetMasterVol(15) : TOV_WaveSetLocalVol(channel, 15);
        }
    }
}

TEST_F(Tov, PitchChangesTheLengthAndNeverDividesByZero) {
    ASSERT_TRUE(Start());
    Bytes ramp;
    for (int i = 0; i < 1000; ++i) {
        ramp.push_back(uint8_t(i & 0xFF));
        ramp.push_back(uint8_t(255 - (i & 0xFF)));
    }
    struct Case {
        double ratio;
        int result, size;
    };
    const Case cases[] = {{2.0, 1, 1000}, {0.5, 1, 4000},  {1.0, 1, 2000},   {3.0, 1, 666},
                          {0.0, 0, 2000}, {-1.0, 0, 2000}, {5000.0, 0, 2000}};
    for (const auto& c : cases) {
        tagTOVWAVE* w = Wave(22050, 2, ramp);
        EXPECT_EQ(TOV_WavePitch(w, c.ratio), c.result) << c.ratio;
        EXPECT_EQ(w->size, c.size) << c.ratio;
    }
    tagTOVWAVE* half = Wave(22050, 2, ramp);
    TOV_WavePitch(half, 2.0);
    EXPECT_EQ(half->data[2 * 10], 20);  // frame 10 takes source frame 20
    EXPECT_EQ(half->data[2 * 10 + 1], 235);
    // Only 22050 Hz stereo waves: a box without owner.
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(TOV_WavePitch(Wave(11025, 2, ramp), 2.0), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    // A playing channel with a pitch of 0 or below still moves on and ends.
    tagTOVWAVE* w = Wave(22050, 1, Bytes(64, 0x90));
    for (int percent : {0, -50, 150}) {
        TOV_WavePlay(0, w, 1, 0);
        EXPECT_EQ(TOV_WaveSetPitch(0, percent), 0);
        Play(70);
        EXPECT_EQ(TOV_WaveStatus(0), 0) << percent;
    }
}

TEST_F(Tov, BufferSettingsAreClamped) {
    struct Case {
        int count, bytes, pre;
        int wantCount, wantBytes, wantPre;
    };
    const Case cases[] = {
        {1, 1000, 5, 2, 1000, 2}, {20, 100, 0, 16, 512, 1}, {4, 70000, 3, 4, 65536, 3},
        {8, 4097, 9, 8, 4104, 8}, {8, 8192, 2, 8, 8192, 2},
    };
    int c = 0, b = 0, p = 0;
    EXPECT_EQ(TOV_SetWaveBufferInfo(4, 1024, 2), 0);  // not started: nothing changes
    TOV_GetWaveBufferInfo(&c, &b, &p);
    EXPECT_EQ(c, 8);
    EXPECT_EQ(b, 4096);
    EXPECT_EQ(p, 2);
    ASSERT_TRUE(Start());
    for (const auto& k : cases) {
        EXPECT_EQ(TOV_SetWaveBufferInfo(k.count, k.bytes, k.pre), 1) << k.count << "," << k.bytes;
        TOV_GetWaveBufferInfo(&c, &b, &p);
        EXPECT_EQ(c, k.wantCount) << k.count << "," << k.bytes << "," << k.pre;
        EXPECT_EQ(b, k.wantBytes) << k.count << "," << k.bytes << "," << k.pre;
        EXPECT_EQ(p, k.wantPre) << k.count << "," << k.bytes << "," << k.pre;
        Play(2);
    }
}

TEST_F(Tov, LeakReportAndSafeEnds) {
    EXPECT_EQ(TOV_Task(), 0);  // before the start: nothing
    EXPECT_EQ(TOV_End(), 0);
    int failed = 0;
    ASSERT_EQ(TOV_Start(nullptr), 1);
    tagTOVWAVE a{}, b{};
    ASSERT_EQ(TOV_WaveRead("sound\\beep.wav", &a), 1);
    ASSERT_EQ(TOV_WaveRead("sound\\chime.wav", &b), 1);
    const int boxes = WynPlat_MessageBoxCount();
    TOV_End();
    ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    std::string caption;
    EXPECT_EQ(LastBoxText(&caption), U8(u8"WAVEデータが 2 個保持されています。"));
    EXPECT_EQ(caption, "TOV40");
    TOV_End();  // a second end reports nothing again
    EXPECT_EQ(TOV_Task(), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    TOV_WaveFree(&a);
    TOV_WaveFree(&b);
    // Without error display the end reports nothing.
    ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 0), 1);
    ASSERT_EQ(TOV_WaveRead("sound\\beep.wav", &a), 1);
    TOV_End2();
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    TOV_WaveFree(&a);
}

TEST_F(Tov, DeviceBitsOfTheStart) {
    struct Case {
        int devices, result, failed;
    };
    const Case cases[] = {
        {TOV_DEVICE_WAVE, 1, 0},
        {TOV_DEVICE_CDDA | TOV_DEVICE_MIDI | TOV_DEVICE_WAVE | TOV_DEVICE_AVI, 1, 0},
        // DirectSound needs a window to belong to: without a parent it fails
        {TOV_DEVICE_DSOUND8 | TOV_DEVICE_WAVE, 0, TOV_DEVICE_DSOUND8},
        {TOV_DEVICE_DSOUND8, 0, TOV_DEVICE_DSOUND8},
    };
    for (const auto& c : cases) {
        int failed = -1;
        EXPECT_EQ(TOV_Start2(nullptr, c.devices, &failed, 1), c.result) << c.devices;
        EXPECT_EQ(failed, c.failed) << c.devices;
        EXPECT_EQ(TOV_Task(), 0) << c.devices;  // harmless without a hidden window too
        TOV_End2();
    }
}

TEST(TovAlloc, TheTableGrowsPastAHundredBlocks) {
    std::vector<void*> blocks;
    for (int i = 0; i < 150; ++i) blocks.push_back(TOV_Alloc2(16, "block"));
    int released = 0;
    for (void* p : blocks) released += TOV_Free(p) == 0;
    EXPECT_EQ(released, 150);
    int stray = 0;
    EXPECT_EQ(TOV_Free(&stray), -1);
    EXPECT_EQ(TOV_Free(nullptr), -1);
    EXPECT_EQ(TOV_Free(blocks[0]), -1);  // already released
}

}  // namespace
