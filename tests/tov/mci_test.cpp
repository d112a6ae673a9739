// Video, CD audio and MIDI through the media devices, on the virtual clock and the capturing
// sink: passes counted by the end notices, positions, the virtual CD drive, the waves
// silenced while a movie plays, pictures in a window, and the synthesizer's sound.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <windows.h>
#include <mmsystem.h>
#include <wynplat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tov42.h"
#include "../common/capture_read.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint64_t kMs = 1000;
constexpr int kAll = TOV_DEVICE_CDDA | TOV_DEVICE_MIDI | TOV_DEVICE_WAVE | TOV_DEVICE_AVI;

// A 22050 Hz 8-bit mono wave of `ms` milliseconds at the constant sample `level`.
void WriteWave(const fs::path& p, int ms, uint8_t level) {
    const uint32_t n = uint32_t(22050 * ms / 1000);
    Bytes b;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put(36 + n, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(22050, 4), put(1, 2), put(8, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(n, 4);
    b.insert(b.end(), n, level);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

class Media : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(run ? run : "/tmp") / "media" / info->name();
        fs::create_directories(dir_);
        capture_ = (dir_ / "heard.wav").string();
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
        unsetenv("WYN_CDROM");
        unsetenv("WYN_CDROM_DRIVE");
    }
    void TearDown() override {
        if (wave_.data) TOV_WaveFree(&wave_);
        TOV_End2();
        WynPlat_SetAudioCapture(nullptr);
        unsetenv("WYN_CDROM");
        if (window_) DestroyWindow(window_);
    }
    bool Start(int devices = kAll) {
        int failed = -1;
        return TOV_Start2(nullptr, devices, &failed, 1) == 1 && failed == 0;
    }
    // Lets `ms` pass in steps of 10 ms, dispatching the library's messages after each.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 10) {
            WynPlat_AdvanceClock(10 * kMs);
            TOV_Task();
        }
    }
    // What was played, in 8-bit form (L, R, ...), from the start of the capture.
    Bytes Heard() {
        WynPlat_AudioCatchUp();
        Bytes out = ReadCapture8(capture_);
        return out;
    }
    static size_t Loud(const Bytes& b, size_t from, size_t to) {
        size_t n = 0;
        for (size_t i = from; i < to && i < b.size(); ++i) n += b[i] != 0x80;
        return n;
    }
    // A disc of `tracks` tracks, track k lasting (k + 1) x 100 ms, in the virtual drive.
    void InsertDisc(int tracks) {
        const fs::path disc = dir_ / "disc";
        fs::create_directories(disc);
        for (int k = 1; k <= tracks; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "track%02d.wav", k);
            WriteWave(disc / name, (k + 1) * 100, 0xC0);
        }
        setenv("WYN_CDROM", disc.c_str(), 1);
    }
    HWND Window() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MediaTestWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "MediaTestWindow", "movie", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 120, 100, nullptr, nullptr, wc.hInstance, nullptr);
        return window_;
    }

    fs::path dir_;
    std::string capture_;
    tagTOVWAVE wave_{};
    HWND window_ = nullptr;
};

std::string LastCaption() {
    char c[256] = {}, t[512] = {};
    WynPlat_LastMessageBox(c, sizeof c, t, sizeof t);
    return c;
}

TEST_F(Media, ACountOfThreePlaysThreeTimesThenStops) {
    ASSERT_TRUE(Start());
    // The tune lasts four beats at 120 a minute: two seconds a pass.
    ASSERT_EQ(TOV_MidiPlay("sound\\tune.mid", 3), 1);
    struct Step {
        int ms;
        int status;
    };
    const Step steps[] = {{1950, 3}, {100, 2}, {1900, 2}, {100, 1}, {1900, 1}, {100, 0}};
    int at = 0;
    for (const Step& s : steps) {
        Run(s.ms);
        at += s.ms;
        EXPECT_EQ(TOV_MidiStatus(), s.status) << "after " << at << " ms";
    }
    EXPECT_EQ(mciGetDeviceIDA("sequencer"), 0u) << "the device is closed after the last pass";
    EXPECT_EQ(TOV_MidiStop(), 0);
}

TEST_F(Media, AnEndlessVideoRepeatsUntilStopped) {
    ASSERT_TRUE(Start());
    RECT r{0, 0, 32, 24};
    ASSERT_EQ(TOV_AviPlay(nullptr, &r, "sound\\quiet.avi", -1), 1);  // half a second a pass
    Run(2000);
    EXPECT_EQ(TOV_AviStatus(), -1);
    EXPECT_EQ(TOV_AviStop(), 1);
    EXPECT_EQ(TOV_AviStatus(), 0);
    EXPECT_EQ(TOV_AviStop(), 0) << "no video plays any more";
}

TEST_F(Media, MidiTimeIsGivenInHoursMinutesSecondsAndMilliseconds) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(TOV_MidiPlay("sound\\long.mid", 1), 1);
    const MCIDEVICEID id = mciGetDeviceIDA("sequencer");
    ASSERT_NE(id, 0u);
    struct Case {
        DWORD ms;
        int h, m, s, milli;
    };
    const Case cases[] = {{0, 0, 0, 0, 0}, {59999, 0, 0, 59, 999}, {3723456, 1, 2, 3, 456}};
    for (const Case& c : cases) {
        MCI_SEEK_PARMS seek{};
        seek.dwTo = c.ms;
        ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_WAIT | MCI_TO, DWORD_PTR(&seek)), 0u) << c.ms;
        BYTE h = 99, m = 99, s = 99;
        WORD milli = 9999;
        ASSERT_EQ(TOV_MidiGetTime(&h, &m, &s, &milli), 1) << c.ms;
        EXPECT_EQ(h, c.h) << c.ms;
        EXPECT_EQ(m, c.m) << c.ms;
        EXPECT_EQ(s, c.s) << c.ms;
        EXPECT_EQ(milli, c.milli) << c.ms;
    }
    // The time format is put back as it was.
    MCI_STATUS_PARMS st{};
    st.dwItem = MCI_STATUS_TIME_FORMAT;
    ASSERT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&st)), 0u);
    EXPECT_EQ(st.dwReturn, DWORD_PTR(MCI_FORMAT_MILLISECONDS));
}

TEST_F(Media, MidiOperationsDoNothingUnlessMidiWasOpened) {
    ASSERT_TRUE(Start(TOV_DEVICE_WAVE));
    BYTE h, m, s;
    WORD ms;
    EXPECT_EQ(TOV_MidiPlay("sound\\tune.mid", 1), 0);
    EXPECT_EQ(TOV_MidiStatus(), 0);
    EXPECT_EQ(TOV_MidiPause(1), 0);
    EXPECT_EQ(TOV_MidiGetTime(&h, &m, &s, &ms), 0);
    EXPECT_EQ(mciGetDeviceIDA("sequencer"), 0u);
}

TEST_F(Media, ATrackPlaysToTheStartOfTheNextOrToTheEndOfTheDisc) {
    InsertDisc(10);
    ASSERT_TRUE(Start());
    struct Case {
        int track;
        int lengthMs;  // the stretch played
    };
    // Track 3 of 10 lasts 400 ms and stops where track 4 starts; track 10, the last, plays
    // to the end of the disc (1100 ms).
    for (const Case c : {Case{3, 400}, Case{10, 1100}}) {
        SCOPED_TRACE(c.track);
        ASSERT_EQ(TOV_CddaPlay(c.track, 1), 1);
        Run(c.lengthMs - 20);
        EXPECT_EQ(TOV_CddaStatus(), 1);
        BYTE t = 0, m = 9, s = 9, f = 0;
        ASSERT_EQ(TOV_CddaGetTime(&t, &m, &s, &f), 1);
        EXPECT_EQ(t, c.track);
        EXPECT_EQ(m * 60 + s, (c.lengthMs - 20) / 1000);
        EXPECT_NEAR(f, (c.lengthMs - 20) % 1000 * 75 / 1000, 1);
        Run(40);
        EXPECT_EQ(TOV_CddaStatus(), 0) << "stopped at the end of the stretch";
        EXPECT_EQ(TOV_CddaGetTime(&t, &m, &s, &f), 0) << "the device is closed";
    }
    // The disc's sound reached the output.
    const Bytes heard = Heard();
    EXPECT_GT(Loud(heard, 0, heard.size()), 22050u);
}

TEST_F(Media, AnEmptyDriveOpensButDoesNotPlay) {
    ASSERT_TRUE(Start()) << "the start keeps its devices without a disc";
    char drives[64] = {};
    ASSERT_GE(TOV_CddaGetDrive(drives), 1);
    EXPECT_EQ(drives[1], ':');
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(TOV_CddaPlay(1, 1), 0);
    EXPECT_GT(WynPlat_MessageBoxCount(), boxes);
    EXPECT_EQ(LastCaption(), "TOV40(MCI)");
    EXPECT_EQ(TOV_CddaStatus(), 0);
    EXPECT_EQ(mciGetDeviceIDA("cdaudio"), 0u) << "the failed play closed its device";

    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(uintptr_t(MCI_DEVTYPE_CD_AUDIO));
    ASSERT_EQ(
        mciSendCommandA(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID, DWORD_PTR(&open)),
        0u);
    MCI_STATUS_PARMS st{};
    st.dwItem = MCI_STATUS_MEDIA_PRESENT;
    ASSERT_EQ(mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&st)), 0u);
    EXPECT_EQ(st.dwReturn, DWORD_PTR(FALSE));
    st.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
    EXPECT_EQ(mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&st)),
              MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0), 0u);
}

TEST_F(Media, TheDriveIsChosenByNameOrByAFileOnIt) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    char drives[64] = {};
    ASSERT_EQ(TOV_CddaGetDrive(drives), 1);
    const std::string cd(drives, 2);
    EXPECT_EQ(GetDriveTypeA((cd + "\\").c_str()), UINT(DRIVE_CDROM));
    struct Case {
        const char* text;
        int result;
        bool plays;  // the chosen drive is the CD drive
    };
    const Case cases[] = {
        {"Q:\\", 1, false},          // taken as it stands: Q: is no CD drive, so plays fail
        {"\\track01.wav", 1, true},  // found on the CD drive
        {"Q:", 1, false},
        {"\\missing.wav", 0, false},  // found nowhere: the drive stays Q:
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TOV_CddaSetDrive(c.text), c.result);
        EXPECT_EQ(TOV_CddaPlay(1, 1), c.plays ? 1 : 0);
        TOV_CddaStop();
    }
}

TEST_F(Media, ADeviceWhoseNoticeFailsIsClosed) {
    InsertDisc(4);
    ASSERT_TRUE(Start());
    ASSERT_EQ(TOV_CddaPlay(2, 5), 1);
    Run(100);
    // Someone opens the tray under the playing device: its notice reports failure.
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(uintptr_t(MCI_DEVTYPE_CD_AUDIO));
    ASSERT_EQ(mciSendCommandA(0, MCI_OPEN,
                              MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_SHAREABLE,
                              DWORD_PTR(&open)),
              0u);
    MCI_SET_PARMS set{};
    ASSERT_EQ(
        mciSendCommandA(open.wDeviceID, MCI_SET, MCI_WAIT | MCI_SET_DOOR_OPEN, DWORD_PTR(&set)),
        0u);
    ASSERT_EQ(mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0), 0u);
    Run(20);
    EXPECT_EQ(TOV_CddaStatus(), 0);
    EXPECT_EQ(mciGetDeviceIDA("cdaudio"), 0u) << "the library's device was closed, not forgotten";
    // The next play closes the tray again and plays.
    EXPECT_EQ(TOV_CddaPlay(2, 1), 1);
    EXPECT_EQ(TOV_CddaStatus(), 1);
}

TEST_F(Media, AVideoSilencesTheWavesUntilItEnds) {
    ASSERT_TRUE(Start());
    wave_.rate = 22050;
    wave_.bit = 8;
    wave_.mode = 2;
    wave_.size = 44100;
    wave_.data = static_cast<BYTE*>(TOV_Alloc2(DWORD(wave_.size), "test"));
    std::memset(wave_.data, 0xC0, size_t(wave_.size));
    ASSERT_GE(TOV_WavePlay(0, &wave_, -1, 0), 0);
    struct Case {
        const char* name;
        bool stopEarly;
    };
    for (const Case c : {Case{"natural end", false}, Case{"stopped", true}}) {
        SCOPED_TRACE(c.name);
        Run(300);
        ASSERT_GT(Loud(Heard(), 0, Heard().size()), 0u) << "the waves play";
        RECT r{0, 0, 16, 12};
        ASSERT_EQ(TOV_AviPlay(nullptr, &r, "sound\\quiet.avi", 1), 1);  // 500 ms of silence
        const size_t start = Heard().size();
        Run(400);
        const size_t mid = Heard().size();
        EXPECT_EQ(Loud(Heard(), start, mid), 0u) << "silent while the movie plays";
        if (c.stopEarly) {
            EXPECT_EQ(TOV_AviStop(), 1) << "the mixer's output reopened";
        } else {
            Run(200);
            EXPECT_EQ(TOV_AviStatus(), 0);
        }
        const size_t end = Heard().size();
        Run(400);
        EXPECT_GT(Loud(Heard(), end, Heard().size()), 0u) << "the waves are back";
    }
}

TEST_F(Media, AMissingFileGivesZeroAndABox) {
    ASSERT_TRUE(Start());
    RECT r{0, 0, 16, 12};
    // A movie whose picture height is -2^31, which has no positive twin.
    std::ifstream in("sound/movie24.avi", std::ios::binary);
    std::string avi((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t strf = avi.find("strf");
    ASSERT_NE(strf, std::string::npos);
    avi.replace(strf + 8 + 8, 4, std::string("\0\0\0\x80", 4));
    std::ofstream(dir_ / "tall.avi", std::ios::binary) << avi;
    static char tall[MAX_PATH];
    ASSERT_TRUE(WynPlat_ToSystemPath((dir_ / "tall.avi").c_str(), tall, sizeof tall));
    struct Case {
        const char* name;
        int (*play)();
    };
    const Case cases[] = {
        {"a movie 2^31 rows tall",
         [] {
             RECT rr{0, 0, 16, 12};
             return TOV_AviPlay(nullptr, &rr, tall, 1);
         }},
        {"video",
         [] {
             RECT rr{0, 0, 16, 12};
             return TOV_AviPlay(nullptr, &rr, "sound\\missing.avi", 1);
         }},
        {"midi", [] { return TOV_MidiPlay("sound\\missing.mid", 1); }},
        {"not a movie",
         [] {
             RECT rr{0, 0, 16, 12};
             return TOV_AviPlay(nullptr, &rr, "sound\\tune.mid", 1);
         }},
    };
    (void)r;
    for (const Case& c : cases) {
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(c.play(), 0) << c.name;
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << c.name;
        EXPECT_EQ(LastCaption(), "TOV40(MCI)") << c.name;
    }
    EXPECT_EQ(TOV_AviStatus(), 0);
    EXPECT_EQ(TOV_MidiStatus(), 0);
}

TEST_F(Media, AMovieIsDrawnIntoItsRectangle) {
    ASSERT_TRUE(Start());
    HWND w = Window();
    ASSERT_NE(w, nullptr);
    // Frame k is a ground of colour k with a white band at x = 4k (of 32).
    const uint32_t kColours[] = {0xC03020, 0x20A040, 0x2040C0, 0xC0C020};
    for (const char* file : {"sound\\movie24.avi", "sound\\movie8.avi"}) {
        SCOPED_TRACE(file);
        RECT r{8, 8, 72, 56};  // twice the movie's size
        ASSERT_EQ(TOV_AviPlay(w, &r, file, 1), 1);
        for (int k : {0, 3}) {
            Run(k == 0 ? 50 : 300);
            int width = 0, height = 0;
            ASSERT_EQ(WynPlat_CaptureWindow(w, nullptr, 0, &width, &height), 1);
            std::vector<uint32_t> px(size_t(width) * height);
            ASSERT_EQ(WynPlat_CaptureWindow(w, px.data(), int(px.size()), &width, &height), 1);
            EXPECT_EQ(px[size_t(32) * width + 70] & 0xFFFFFF, kColours[k]) << "frame " << k;
            EXPECT_EQ(px[size_t(32) * width + 8 + 8 * k + 2] & 0xFFFFFF, 0xFFFFFFu)
                << "band of frame " << k;
            EXPECT_NE(px[size_t(4) * width + 4] & 0xFFFFFF, kColours[k]) << "outside the rectangle";
        }
        TOV_AviStop();
    }
}

TEST_F(Media, MidiIsSynthesizedIntoTheOutput) {
    struct stat st;
    void* lib = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!lib || stat("/usr/share/sounds/sf2/FluidR3_GM.sf2", &st) != 0)
        GTEST_SKIP() << "no synthesizer here: the sequencer plays silently";
    ASSERT_TRUE(Start(TOV_DEVICE_MIDI));
    ASSERT_EQ(TOV_MidiPlay("sound\\tune.mid", 1), 1);
    Run(1000);
    const Bytes heard = Heard();
    EXPECT_GT(Loud(heard, 0, heard.size()), 1000u);
}

}  // namespace
