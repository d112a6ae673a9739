// The wave mixer: twenty channels mixed buffer by buffer into one 22050 Hz stereo 8-bit
// waveOut stream. A buffer is mixed when the device hands one back (MM_WOM_DONE through the
// hidden window), so the host's TOV_Task calls drive the mix. Its channel operations and the
// records of wavefile.cpp make the table the wave exports call while the mixer is the output.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "mixkernel.h"
#include "pitch.h"
#include "voice.h"
#include "tov_internal.h"
#include "wavefmt.h"

namespace tov {
namespace {

constexpr int kMaxBuffers = 16;
constexpr int kMaxBufferBytes = 65536;

struct Fade {
    int interval = 0;  // ms per step; 0 = no fade
    int dir = 0;       // +1 / -1
    int target = 0;
    DWORD clock = 0;  // time of the next step; deliberately not reset when a fade starts
};

struct Channel {
    tagTOVWAVE* wave = nullptr;
    Voice voice;  // position, count (0 = free), segment, pitch
    int pause = 0;
    int volume = 15;
    Fade fade;
};

struct Mixer {
    std::array<Channel, kChannels> ch;
    int master = 15;
    Fade masterFade;
    int bufCount = gen::kDefaultBufferCount;
    int bufBytes = gen::kDefaultBufferBytes;
    int prequeued = gen::kDefaultPrequeued;
    int mixCount = kChannels;

    bool allocated = false;
    MixTables* tables = nullptr;
    uint8_t* pitchWork = nullptr;
    HGLOBAL hdrMem[kMaxBuffers] = {};
    HGLOBAL bufMem[kMaxBuffers] = {};
    WAVEHDR* hdr[kMaxBuffers] = {};
    uint8_t* buf[kMaxBuffers] = {};

    HWAVEOUT wo = nullptr;
    bool open = false;  // buffers may be mixed and queued
    int queued = 0;
    int next = 0;
    bool charging = false;
    bool busy = false;
};

Mixer g_mix;

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
bool Valid(int c) { return c >= 0 && c < kChannels; }

void OutputError(MMRESULT r) {
    if (!Lib().errorDisplay) return;
    char text[MAXERRORLENGTH];
    if (waveOutGetErrorTextA(r, text, sizeof text) != MMSYSERR_NOERROR) text[0] = 0;
    Box(Lib().parent, text, gen::kOutputCaption, MB_OK | MB_ICONWARNING);
}

void MemoryBox() {
    Box(Lib().parent, MessageText(kMsgMemory), gen::kCaption, MB_OK | MB_ICONERROR);
}

void Free(Channel& c) {
    c.voice = Voice{};
    c.voice.count = 0;
    c.wave = nullptr;
    c.pause = 0;
}

// One fade step when it is due. The step clock is not reset when a fade starts, so a fade
// takes at most one step per mixed buffer until the clock has caught up with the time.
void StepFade(Fade& f, int& volume) {
    if (f.interval <= 0 || !(f.clock < timeGetTime())) return;
    volume = Clamp(volume + f.dir, 0, 15);
    if (volume == f.target || volume == (f.dir > 0 ? 15 : 0)) f.interval = 0;
    f.clock += DWORD(f.interval);
}

void StartFade(Fade& f, int volume, int target, int ms, int steps) {
    f.target = target;
    if (volume == target) return;
    f.dir = target > volume ? 1 : -1;
    int interval = steps > 0 ? ms / steps : 0;
    if (interval < 0) interval = 1;
    f.interval = interval;
}

WaveView View(const tagTOVWAVE* w) {
    WaveView v;
    v.data = w->data;
    v.size = w->size;
    v.rate = w->rate;
    v.mode = w->mode;
    v.top = w->blocktop;
    v.length = w->blocksize;
    return v;
}

// Mixes buffer i and queues it. 1, or 0 when the output is closed or the write failed.
int TOV_WaveBuffer(int i) {
    Mixer& m = g_mix;
    if (!m.open) return 0;
    m.busy = true;
    uint8_t* out = m.buf[i];
    TOV_Clear(out, m.bufBytes / 4, 0x80808080u);
    if (gen::kVolumes) StepFade(m.masterFade, m.master);
    for (int k = 0; k < m.mixCount; ++k) {
        Channel& c = m.ch[size_t(k)];
        if (c.voice.count == 0 || c.pause) continue;
        if (gen::kVolumes) StepFade(c.fade, c.volume);
        const uint8_t* row = gen::kVolumes ? VolumeRow(*m.tables, m.master, Clamp(c.volume, 0, 15))
                                           : VolumeRow(*m.tables, 15, 15);
        if (!c.wave || !MixVoice(c.voice, View(c.wave), out, m.bufBytes, row, *m.tables,
                                 m.pitchWork, gen::kPitch))
            Free(c);
    }
    m.hdr[i]->dwBufferLength = DWORD(m.bufBytes);
    const MMRESULT r = waveOutWrite(m.wo, m.hdr[i], sizeof(WAVEHDR));
    if (r != MMSYSERR_NOERROR) {
        OutputError(r);
        m.busy = false;
        return 0;
    }
    ++m.queued;
    m.busy = false;
    return 1;
}

// Opens the device and queues the first buffers.
int TOV_WaveLock() {
    Mixer& m = g_mix;
    if (m.open || m.wo || waveOutGetNumDevs() == 0) return 0;
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = 22050;
    f.nAvgBytesPerSec = 44100;
    f.nBlockAlign = 2;
    f.wBitsPerSample = 8;
    MMRESULT r = waveOutOpen(&m.wo, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(Lib().hidden), 0,
                             CALLBACK_WINDOW);
    if (r != MMSYSERR_NOERROR) {
        m.wo = nullptr;
        OutputError(r);
        return 0;
    }
    Sleep(10);
    for (int i = 0; i < m.bufCount; ++i) {
        WAVEHDR* h = m.hdr[i];
        std::memset(h, 0, sizeof *h);
        h->lpData = reinterpret_cast<LPSTR>(m.buf[i]);
        h->dwBufferLength = DWORD(m.bufBytes);
        r = waveOutPrepareHeader(m.wo, h, sizeof *h);
        if (r != MMSYSERR_NOERROR) OutputError(r);
        std::memset(m.buf[i], 0x80, size_t(m.bufBytes));
        Sleep(10);
    }
    m.next = 0;
    m.queued = 0;
    m.open = true;
    for (int i = 0; i < m.prequeued; ++i) TOV_WaveBuffer(i);
    m.next = m.prequeued % m.bufCount;
    WAVEOUTCAPSA caps;
    if (waveOutGetDevCapsA(reinterpret_cast<UINT_PTR>(m.wo), &caps, sizeof caps) !=
        MMSYSERR_NOERROR)
        MessageBoxA(nullptr, "えらー", "えらー", MB_OK);
    return 1;
}

void TOV_WaveUnlock() {
    Mixer& m = g_mix;
    while (m.busy) Sleep(10);
    m.open = false;
    while (m.busy) Sleep(10);
    if (!m.wo) return;
    MMRESULT r = waveOutReset(m.wo);
    if (r != MMSYSERR_NOERROR) OutputError(r);
    for (int i = 0; i < m.bufCount; ++i)
        if (m.hdr[i] && (m.hdr[i]->dwFlags & WHDR_PREPARED)) {
            r = waveOutUnprepareHeader(m.wo, m.hdr[i], sizeof(WAVEHDR));
            if (r != MMSYSERR_NOERROR) OutputError(r);
        }
    r = waveOutClose(m.wo);
    if (r != MMSYSERR_NOERROR) OutputError(r);
    m.wo = nullptr;
    m.queued = 0;
}

void Release() {
    Mixer& m = g_mix;
    for (int i = 0; i < kMaxBuffers; ++i) {
        if (m.hdrMem[i]) {
            GlobalUnlock(m.hdrMem[i]);
            GlobalFree(m.hdrMem[i]);
        }
        if (m.bufMem[i]) {
            GlobalUnlock(m.bufMem[i]);
            GlobalFree(m.bufMem[i]);
        }
        m.hdrMem[i] = m.bufMem[i] = nullptr;
        m.hdr[i] = nullptr;
        m.buf[i] = nullptr;
    }
    if (m.tables) TOV_Free(m.tables);
    if (m.pitchWork) TOV_Free(m.pitchWork);
    m.tables = nullptr;
    m.pitchWork = nullptr;
    m.allocated = false;
}

// Movable shared global memory, locked for the life of the output.
void* GlobalBlock(HGLOBAL* mem, SIZE_T size) {
    *mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    void* p = *mem ? GlobalLock(*mem) : nullptr;
    if (!p) MemoryBox();
    return p;
}

}  // namespace

bool MixerOpen() {
    Mixer& m = g_mix;
    if (m.allocated)
        TOV_WaveUnlock();
    else {
        m.tables = static_cast<MixTables*>(TOV_Alloc2(sizeof(MixTables), "table"));
        m.pitchWork = static_cast<uint8_t*>(TOV_Alloc2(kMaxBufferBytes, "pitch"));
        bool ok = m.tables && m.pitchWork;
        for (int i = 0; ok && i < kMaxBuffers; ++i) {
            m.hdr[i] = static_cast<WAVEHDR*>(GlobalBlock(&m.hdrMem[i], sizeof(WAVEHDR)));
            m.buf[i] = static_cast<uint8_t*>(GlobalBlock(&m.bufMem[i], kMaxBufferBytes));
            ok = m.hdr[i] && m.buf[i];
        }
        if (!ok) {
            Release();
            return false;
        }
        BuildMixTables(m.tables);
        m.allocated = true;
    }
    for (Channel& c : m.ch) c = Channel{};
    m.master = 15;
    m.masterFade.interval = 0;
    WavesReset();
    if (!TOV_WaveLock()) {
        Release();
        return false;
    }
    return true;
}

bool MixerIsOpen() { return g_mix.open; }

int MixCount() { return g_mix.mixCount; }

void MixerOutputClose() {
    if (g_mix.open) TOV_WaveUnlock();
}

int MixerOutputReopen() {
    if (!g_mix.allocated) return 0;
    if (g_mix.open) return 1;
    return TOV_WaveLock();
}

void MixerOnDone(WPARAM device, LPARAM) {
    Mixer& m = g_mix;
    // Buffers returned by a device that has since been closed are no longer ours.
    if (!m.wo || reinterpret_cast<HWAVEOUT>(device) != m.wo) return;
    if (m.queued > 0) --m.queued;
    if ((gen::kAlwaysMixOnDone || (m.queued < m.bufCount && !m.charging)) && m.open) {
        if (TOV_WaveBuffer(m.next)) m.next = (m.next + 1) % m.bufCount;
    }
}

void MixerForgetWave(const tagTOVWAVE* wave) {
    for (Channel& c : g_mix.ch)
        if (c.wave == wave) {
            Free(c);
            c.fade.interval = 0;
        }
}

namespace {

int Play(int channel, tagTOVWAVE* wave, int count, int offset) {
    Mixer& m = g_mix;
    if (count == 0 || !wave || !wave->data || wave->size <= 0) return -1;
    int c;
    if (channel < 0) {
        c = -1;
        for (int k = -channel; k < m.mixCount; ++k)
            if (m.ch[size_t(k)].voice.count == 0) {
                c = k;
                break;
            }
        if (c < 0) return -1;
    } else {
        c = channel % kChannels;
    }
    // The start offset is held inside the wave (the first segment for a segmented wave) and
    // to a whole frame.
    int limit = wave->mode == 3 ? wave->blocksize[0] : wave->size;
    if (offset < 0 || limit <= 0) offset = 0;
    if (offset >= limit) offset = limit - 1;
    if (wave->mode == 2) offset &= ~1;
    if (offset < 0) offset = 0;
    Channel& ch = m.ch[size_t(c)];
    ch.wave = wave;
    ch.voice.position = offset;
    ch.voice.count = count;
    ch.pause = 0;
    ch.voice.segment = 0;
    ch.voice.pitch = 1.0f;
    return c;
}

int PlayJust(int channel, tagTOVWAVE* wave, int count, int offset) {
    Mixer& m = g_mix;
    if (!m.open || count == 0) return -1;
    for (Channel& c : m.ch) {
        if (c.voice.count == 0 || c.pause || !c.wave) continue;
        const int span = c.wave->mode == 3 && c.voice.segment >= 0 && c.voice.segment < kSegments
                             ? c.wave->blocksize[c.voice.segment]
                             : c.wave->size;
        c.voice.position -= m.bufBytes;
        if (span > 0)
            while (c.voice.position < 0) c.voice.position += span;
        else
            c.voice.position = 0;
    }
    const int r = Play(channel, wave, count, offset);
    if (r >= 0 && m.wo) waveOutReset(m.wo);
    return r;
}

int Stop(int channel) {
    Mixer& m = g_mix;
    if (channel < 0) {
        for (int k = 0; k < m.mixCount; ++k) {
            Free(m.ch[size_t(k)]);
            m.ch[size_t(k)].fade.interval = 0;
        }
        m.masterFade.interval = 0;
        return channel;
    }
    if (!Valid(channel)) return -1;
    Free(m.ch[size_t(channel)]);
    m.ch[size_t(channel)].fade.interval = 0;
    return channel;
}

void Close() {
    Mixer& m = g_mix;
    if (!m.allocated) return;
    Stop(-1);
    Sleep(1000);  // lets the queued buffers play out
    TOV_WaveUnlock();
    Release();
}

int Pause(int channel, int flag) {
    Mixer& m = g_mix;
    if (channel < 0) {
        if (!m.wo) return MMSYSERR_INVALHANDLE;
        return int(flag ? waveOutPause(m.wo) : waveOutRestart(m.wo));
    }
    if (!Valid(channel)) return -1;
    m.ch[size_t(channel)].pause = flag;
    return gen::kPauseGivesFlag ? flag : channel;
}

int Status(int channel) {
    Mixer& m = g_mix;
    if (channel < 0) {
        // Endless channels (negative counts) do not count here; scripts rely on that.
        int most = 0;
        for (int k = 0; k < m.mixCount; ++k) most = std::max(most, m.ch[size_t(k)].voice.count);
        return most;
    }
    return Valid(channel) ? m.ch[size_t(channel)].voice.count : 0;
}

int Skip(int channel, int segment) {
    if (!Valid(channel) || segment < 0 || segment > 8) return 0;
    Channel& c = g_mix.ch[size_t(channel)];
    if (c.voice.count == 0 || !c.wave || c.wave->mode != 3) return 0;
    c.voice.segment = segment;
    c.voice.position = 0;
    return 1;
}

int PlayCount(int channel, int count) {
    if (!Valid(channel)) return 0;
    Channel& c = g_mix.ch[size_t(channel)];
    if (c.voice.count == 0) return 0;
    const int old = c.voice.count;
    c.voice.count = count;
    if (count == 0) Free(c);
    return old;
}

int SetMasterVol(int volume) {
    g_mix.master = Clamp(volume, 0, 15);
    g_mix.masterFade.interval = 0;
    return g_mix.master;
}

int GetMasterVol() { return g_mix.master; }

int SetLocalVol(int channel, int volume) {
    volume = Clamp(volume, 0, 15);
    if (channel == -1) {
        for (Channel& c : g_mix.ch) {
            c.volume = volume;
            c.fade.interval = 0;
        }
        return channel;
    }
    if (!Valid(channel)) return -1;
    g_mix.ch[size_t(channel)].volume = volume;
    g_mix.ch[size_t(channel)].fade.interval = 0;
    return channel;
}

int GetLocalVol(int channel) { return Valid(channel) ? g_mix.ch[size_t(channel)].volume : 0; }

int FadeTo(int channel, int target, int ms, int steps) {
    target = Clamp(target, 0, 15);
    Fade* f;
    int* vol;
    if (channel == -1) {
        f = &g_mix.masterFade;
        vol = &g_mix.master;
    } else if (Valid(channel)) {
        f = &g_mix.ch[size_t(channel)].fade;
        vol = &g_mix.ch[size_t(channel)].volume;
    } else {
        return -1;
    }
    StartFade(*f, *vol, target, ms, steps > 0 ? steps : std::abs(target - *vol));
    return channel;
}

int SetPitch(int channel, int value, bool percent) {
    if (!Valid(channel)) return -1;
    Channel& c = g_mix.ch[size_t(channel)];
    if (c.voice.count != 0)
        c.voice.pitch = percent ? float(value) * 0.01f : float(value) * (1.0f / 22050.0f);
    return channel;
}

int PitchWave(tagTOVWAVE* wave, double ratio) {
    if (wave->rate != 22050 || wave->mode != 2) {
        MessageBoxA(nullptr, "WavePitchは22.05Khzステレオファイルにのみ対応しています。",
                    gen::kCaption, MB_OK);
        return 0;
    }
    if (!(ratio > 0.0) || !std::isfinite(ratio)) return 0;
    const int frames = wave->size / 2;
    const double want = std::trunc(double(frames) / ratio);
    if (want < 1.0) return 0;
    if (want > double(0x3FFFFFFF)) {
        MemoryBox();
        return 0;
    }
    const int newFrames = int(want);
    auto* out = static_cast<uint8_t*>(TOV_Alloc2(DWORD(newFrames) * 2, "pitch work"));
    if (!out) return 0;
    const float r = float(ratio);
    for (int k = 0; k < newFrames; ++k) {
        const float x = float(k) * r;
        const int i = int(x);
        const float t = x - float(i);
        out[2 * k] = CubicAt(wave->data, frames, 2, i, t);
        out[2 * k + 1] = CubicAt(wave->data + 1, frames, 2, i, t);
    }
    TOV_Free(wave->data);
    wave->data = out;
    wave->size = newFrames * 2;
    return 1;
}

int SetBufferInfo(int count, int bytes, int prequeued) {
    Mixer& m = g_mix;
    if (!gen::kBufferSettings || !m.open) return 0;
    const int oldCount = m.bufCount, oldBytes = m.bufBytes, oldPre = m.prequeued;
    TOV_WaveUnlock();
    m.bufCount = Clamp(count, 2, kMaxBuffers);
    m.bufBytes = (Clamp(bytes, 512, kMaxBufferBytes) + 7) & ~7;
    m.prequeued = std::max(1, std::min(prequeued, m.bufCount));
    if (TOV_WaveLock()) return 1;
    m.bufCount = oldCount;
    m.bufBytes = oldBytes;
    m.prequeued = oldPre;
    return 0;
}

void GetBufferInfo(int* count, int* bytes, int* prequeued) {
    if (count) *count = g_mix.bufCount;
    if (bytes) *bytes = g_mix.bufBytes;
    if (prequeued) *prequeued = g_mix.prequeued;
}

int Charge() {
    Mixer& m = g_mix;
    m.charging = true;
    while (m.open && m.queued < m.bufCount) {
        if (!TOV_WaveBuffer(m.next)) break;
        m.next = (m.next + 1) % m.bufCount;
    }
    m.charging = false;
    return m.bufCount;
}

}  // namespace

const WaveOutput kMixerOutput = {
    .read = MixerWaveRead,
    .appendRead = MixerAppendWaveRead,
    .appendWave = MixerAppendWave,
    .appendSilence = MixerAppendSilence,
    .lock = MixerLockWave,
    .unlock = MixerUnlockWave,
    .free = MixerWaveFree,
    .pitchWave = PitchWave,
    .play = Play,
    .playJust = PlayJust,
    .stop = Stop,
    .pause = Pause,
    .status = Status,
    .skip = Skip,
    .playCount = PlayCount,
    .setMasterVol = SetMasterVol,
    .getMasterVol = GetMasterVol,
    .setLocalVol = SetLocalVol,
    .getLocalVol = GetLocalVol,
    .fade = FadeTo,
    .setPitch = SetPitch,
    .setBufferInfo = SetBufferInfo,
    .getBufferInfo = GetBufferInfo,
    .charge = Charge,
    .close = Close,
};

}  // namespace tov

using namespace tov;

TOVDLL_API int WINAPI TOV_WaveMixCount(int n) {
    const auto guard = Guard();
    const int old = g_mix.mixCount;
    g_mix.mixCount = Clamp(n, 0, kChannels);
    return old;
}
