// The wave output and the media control devices of the platform layer, headless on the
// virtual clock: buffers finish when their playing time has passed and are reported to the
// callback window's queue.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <wynplat.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

WAVEFORMATEX Format(DWORD rate, WORD channels, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

class WaveOut : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "WAVEOUTTEST";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "WAVEOUTTEST", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }
    void TearDown() override { DestroyWindow(hwnd_); }

    // The headers reported done, in order, by the messages waiting now.
    std::vector<WAVEHDR*> Done() {
        std::vector<WAVEHDR*> out;
        MSG m;
        while (PeekMessageA(&m, hwnd_, MM_WOM_DONE, MM_WOM_DONE, PM_REMOVE))
            out.push_back(reinterpret_cast<WAVEHDR*>(m.lParam));
        return out;
    }
    HWAVEOUT Open() {
        WAVEFORMATEX f = Format(22050, 2, 8);
        HWAVEOUT h = nullptr;
        EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(hwnd_), 0,
                              CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        return h;
    }
    HWND hwnd_ = nullptr;
};

TEST_F(WaveOut, OpensTheFormatsItPlays) {
    struct Case {
        const char* name;
        UINT device;
        WAVEFORMATEX f;
        DWORD flags;
        MMRESULT want;
    };
    const Case cases[] = {
        {"8-bit stereo", WAVE_MAPPER, Format(22050, 2, 8), CALLBACK_WINDOW, MMSYSERR_NOERROR},
        {"16-bit mono on device 0", 0, Format(22050, 1, 16), CALLBACK_NULL, MMSYSERR_NOERROR},
        {"another rate", WAVE_MAPPER, Format(44100, 2, 16), CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"three channels", WAVE_MAPPER, Format(22050, 3, 8), CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"12 bits", WAVE_MAPPER, Format(22050, 2, 12), CALLBACK_WINDOW, WAVERR_BADFORMAT},
        {"no such device", 3, Format(22050, 2, 8), CALLBACK_WINDOW, MMSYSERR_BADDEVICEID},
        {"a callback function", WAVE_MAPPER, Format(22050, 2, 8), 0x00030000, MMSYSERR_INVALFLAG},
    };
    for (const auto& c : cases) {
        HWAVEOUT h = nullptr;
        EXPECT_EQ(waveOutOpen(&h, c.device, &c.f, reinterpret_cast<DWORD_PTR>(hwnd_), 0, c.flags),
                  c.want)
            << c.name;
        if (h) EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR) << c.name;
    }
    WAVEFORMATEX f = Format(22050, 2, 8);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutGetNumDevs(), 1u);
    WAVEOUTCAPSA caps{};
    EXPECT_EQ(waveOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(caps.wChannels, 2);
    EXPECT_EQ(waveOutGetDevCapsA(7, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutClose(reinterpret_cast<HWAVEOUT>(uintptr_t(12345))), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOut, BuffersFinishWhenTheirTimeHasPassed) {
    HWAVEOUT h = Open();
    // 2205 frames each: 100 ms.
    std::vector<char> a(4410, char(0x90)), b(4410, char(0x70));
    WAVEHDR ha{}, hb{};
    ha.lpData = a.data();
    ha.dwBufferLength = DWORD(a.size());
    hb.lpData = b.data();
    hb.dwBufferLength = DWORD(b.size());
    EXPECT_EQ(waveOutWrite(h, &ha, sizeof ha), WAVERR_UNPREPARED);
    ASSERT_EQ(waveOutPrepareHeader(h, &ha, sizeof ha), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutPrepareHeader(h, &hb, sizeof hb), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &ha, sizeof ha), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &hb, sizeof hb), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(h, &ha, sizeof ha), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(h, &ha, sizeof ha), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(h), WAVERR_STILLPLAYING);
    EXPECT_TRUE(ha.dwFlags & WHDR_INQUEUE);

    WynPlat_AdvanceClock(90000);
    EXPECT_TRUE(Done().empty());
    WynPlat_AdvanceClock(15000);
    EXPECT_EQ(Done(), std::vector<WAVEHDR*>{&ha});
    EXPECT_TRUE(ha.dwFlags & WHDR_DONE);
    EXPECT_FALSE(ha.dwFlags & WHDR_INQUEUE);
    // Paused, the second buffer holds; restarted, it finishes its remaining time.
    ASSERT_EQ(waveOutPause(h), MMSYSERR_NOERROR);
    WynPlat_AdvanceClock(500000);
    EXPECT_TRUE(Done().empty());
    ASSERT_EQ(waveOutRestart(h), MMSYSERR_NOERROR);
    WynPlat_AdvanceClock(90000);
    EXPECT_TRUE(Done().empty());
    WynPlat_AdvanceClock(15000);
    EXPECT_EQ(Done(), std::vector<WAVEHDR*>{&hb});
    EXPECT_EQ(waveOutUnprepareHeader(h, &ha, sizeof ha), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(h, &hb, sizeof hb), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, ResetReturnsEveryBufferAtOnce) {
    HWAVEOUT h = Open();
    std::vector<char> data(8820, char(0x80));
    WAVEHDR hdr[3]{};
    for (auto& x : hdr) {
        x.lpData = data.data();
        x.dwBufferLength = DWORD(data.size());
        waveOutPrepareHeader(h, &x, sizeof x);
        waveOutWrite(h, &x, sizeof x);
    }
    WynPlat_AdvanceClock(1000);
    ASSERT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(Done(), (std::vector<WAVEHDR*>{&hdr[0], &hdr[1], &hdr[2]}));
    for (auto& x : hdr) waveOutUnprepareHeader(h, &x, sizeof x);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, CaptureHoldsWhatWasPlayed) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const std::string path = std::string(run ? run : "/tmp") + "/waveout-capture.wav";
    std::string mk = std::string("mkdir -p '") + (run ? run : "/tmp") + "'";
    ASSERT_EQ(std::system(mk.c_str()), 0);
    ASSERT_EQ(WynPlat_SetAudioCapture(path.c_str()), 1);
    WAVEFORMATEX f = Format(22050, 1, 16);
    HWAVEOUT h = nullptr;
    ASSERT_EQ(waveOutOpen(&h, 0, &f, reinterpret_cast<DWORD_PTR>(hwnd_), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    const int16_t samples[4] = {1000, -2000, 32767, -32768};
    WAVEHDR x{};
    x.lpData = reinterpret_cast<LPSTR>(const_cast<int16_t*>(samples));
    x.dwBufferLength = sizeof samples;
    waveOutPrepareHeader(h, &x, sizeof x);
    waveOutWrite(h, &x, sizeof x);
    WynPlat_AdvanceClock(10000);
    WynPlat_AudioCatchUp();
    EXPECT_EQ(Done().size(), 1u);
    waveOutUnprepareHeader(h, &x, sizeof x);
    waveOutClose(h);
    WynPlat_SetAudioCapture(nullptr);
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(1 << 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    ASSERT_GE(bytes.size(), 44u + 16);
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    const uint32_t data = bytes[40] | bytes[41] << 8 | bytes[42] << 16 | uint32_t(bytes[43]) << 24;
    EXPECT_EQ(data, bytes.size() - 44);
    // The mono samples on both sides, from the first frame the device played.
    std::vector<int16_t> heard;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2)
        heard.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
    size_t first = 0;
    while (first < heard.size() && heard[first] == 0) ++first;
    ASSERT_GE(heard.size(), first + 8);
    EXPECT_EQ(std::vector<int16_t>(heard.begin() + long(first), heard.begin() + long(first) + 8),
              (std::vector<int16_t>{1000, 1000, -2000, -2000, 32767, 32767, -32768, -32768}));
}

// Devices open without media (the sound library's start checks them so); playing needs a
// file or a disc. The media themselves are tested with the sound library.
TEST(Mci, DevicesOpenAndClose) {
    unsetenv("WYN_CDROM");
    struct Case {
        const char* name;
        DWORD_PTR flags;
        LPCSTR type;
        MCIERROR open, play;
        DWORD mode;
    };
    const Case cases[] = {
        {"cd audio by number, no disc", MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_WAIT,
         reinterpret_cast<LPCSTR>(uintptr_t(MCI_DEVTYPE_CD_AUDIO)), 0, MCIERR_DEVICE_NOT_READY,
         MCI_MODE_NOT_READY},
        {"sequencer without a file", MCI_OPEN_TYPE | MCI_WAIT, "SEQUENCER", 0,
         MCIERR_UNSUPPORTED_FUNCTION, MCI_MODE_STOP},
        {"video of a missing file", MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT, "avivideo",
         MCIERR_FILE_NOT_FOUND, 0, 0},
        {"unknown", MCI_OPEN_TYPE | MCI_WAIT, "teleprinter", MCIERR_INVALID_DEVICE_NAME, 0, 0},
        {"no type", MCI_WAIT, nullptr, MCIERR_DEVICE_TYPE_REQUIRED, 0, 0},
    };
    for (const auto& c : cases) {
        MCI_OPEN_PARMSA open{};
        open.lpstrDeviceType = c.type;
        open.lpstrElementName = "no such movie.avi";
        EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, c.flags, reinterpret_cast<DWORD_PTR>(&open)), c.open)
            << c.name;
        if (c.open) continue;
        EXPECT_NE(open.wDeviceID, 0u) << c.name;
        MCI_PLAY_PARMS play{};
        EXPECT_EQ(mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_NOTIFY,
                                  reinterpret_cast<DWORD_PTR>(&play)),
                  c.play)
            << c.name;
        MCI_STATUS_PARMS st{};
        st.dwItem = MCI_STATUS_MODE;
        EXPECT_EQ(mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                                  reinterpret_cast<DWORD_PTR>(&st)),
                  0u)
            << c.name;
        EXPECT_EQ(st.dwReturn, DWORD_PTR(c.mode)) << c.name;
        MCI_GENERIC_PARMS g{};
        EXPECT_EQ(
            mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&g)),
            0u)
            << c.name;
        EXPECT_EQ(
            mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&g)),
            MCIERR_INVALID_DEVICE_ID)
            << c.name;
    }
    char text[256];
    EXPECT_TRUE(mciGetErrorStringA(MCIERR_INVALID_DEVICE_ID, text, sizeof text));
    EXPECT_GT(std::strlen(text), 0u);
}

TEST(WaveOutText, EveryErrorHasText) {
    for (MMRESULT r :
         {MMSYSERR_NOERROR, MMSYSERR_BADDEVICEID, MMSYSERR_INVALHANDLE, MMSYSERR_INVALFLAG,
          WAVERR_BADFORMAT, WAVERR_STILLPLAYING, WAVERR_UNPREPARED}) {
        char text[MAXERRORLENGTH] = {};
        EXPECT_EQ(waveOutGetErrorTextA(r, text, sizeof text), MMSYSERR_NOERROR) << r;
        EXPECT_GT(std::strlen(text), 0u) << r;
    }
}

}  // namespace
