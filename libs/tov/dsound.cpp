// The DirectSound output: instead of the library's own mixer every wave lives in a static
// sound buffer of its own and the sound object mixes them. Its operations make the table the
// wave exports call while this output is the one started.
#include <dsound.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "tov_internal.h"

namespace tov {
namespace {

constexpr DWORD kWaveBufferFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME |
                                   DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS |
                                   DSBCAPS_GETCURRENTPOSITION2;

struct DsChannel {
    IDirectSoundBuffer* buffer = nullptr;  // the wave's own buffer, not a copy
    tagTOVWAVE* wave = nullptr;
    int count = 0;
    int pause = 0;
    int volume = 15;
    float pitch = 1.0f;
    int offset = 0;  // stored, not used: a buffer always starts from its beginning
};

struct DsOutput {
    bool on = false;
    int bits = 8;
    IDirectSound* ds = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    std::array<LONG, 16> volumes{};  // hundredths of a decibel for volumes 0..15
    std::array<DsChannel, kChannels> ch;
    int master = 15;
    bool devicePaused = false;  // every channel stopped by a pause of the whole output
};

DsOutput g_ds;

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
bool Valid(int c) { return c >= 0 && c < kChannels; }
IDirectSoundBuffer* BufferOf(const tagTOVWAVE* w) {
    return w ? reinterpret_cast<IDirectSoundBuffer*>(w->data) : nullptr;
}

void Forget(DsChannel& c) {
    c.buffer = nullptr;
    c.wave = nullptr;
    c.count = 0;
    c.pause = 0;
}

// A channel whose buffer has played out is free again, whatever number it was taken with.
void Refresh() {
    if (g_ds.devicePaused) return;
    for (DsChannel& c : g_ds.ch) {
        if (!c.buffer || c.count == 0 || c.pause) continue;
        DWORD status = 0;
        if (SUCCEEDED(c.buffer->GetStatus(&status)) && !(status & DSBSTATUS_PLAYING)) Forget(c);
    }
}

// Starts (or resumes) a channel's buffer: once for a count of 1, else looping, a positive
// count ending it by itself after that many passes.
void Start(DsChannel& c) {
    WynPlat_SetSoundBufferPasses(c.buffer, c.count > 1 ? DWORD(c.count) : 0);
    c.buffer->Play(0, 0, c.count == 1 ? 0 : DSBPLAY_LOOPING);
}

// A static buffer for a wave of the given format holding `a` then `b` (each may be null),
// then `fill` bytes of `silence`. Null when it cannot be created.
IDirectSoundBuffer* NewBuffer(int rate, int bit, int mode, const uint8_t* a, uint32_t na,
                              const uint8_t* b, uint32_t nb, uint32_t fill, uint8_t silence) {
    if (!g_ds.ds || (bit != 8 && bit != 16) || (mode != 1 && mode != 2)) return nullptr;
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = WORD(mode);
    f.nSamplesPerSec = DWORD(rate);
    f.wBitsPerSample = WORD(bit);
    f.nBlockAlign = WORD(mode * bit / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    const uint64_t total = uint64_t(na) + nb + fill;
    if (total > 0x0FFFFFFF) return nullptr;
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = kWaveBufferFlags;
    d.dwBufferBytes = DWORD(total) / f.nBlockAlign * f.nBlockAlign;  // whole frames
    d.lpwfxFormat = &f;
    IDirectSoundBuffer* buf = nullptr;
    if (FAILED(g_ds.ds->CreateSoundBuffer(&d, &buf, nullptr)) || !buf) return nullptr;
    void* p = nullptr;
    DWORD n = 0;
    if (FAILED(buf->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
        buf->Release();
        return nullptr;
    }
    auto* out = static_cast<uint8_t*>(p);
    uint32_t at = 0;
    auto put = [&](const uint8_t* src, uint32_t len) {
        len = std::min<uint32_t>(len, n - at);
        if (src) std::memcpy(out + at, src, len);
        at += len;
    };
    put(a, na);
    put(b, nb);
    std::memset(out + at, silence, n - at);
    buf->Unlock(p, n, nullptr, 0);
    return buf;
}

// The samples of a wave's buffer (locked whole) and their count; false when it has none.
bool Samples(const tagTOVWAVE* w, uint8_t** p, DWORD* n) {
    IDirectSoundBuffer* b = BufferOf(w);
    void* v = nullptr;
    if (!b || FAILED(b->Lock(0, 0, &v, n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) return false;
    *p = static_cast<uint8_t*>(v);
    return true;
}

void StopChannelsOf(const tagTOVWAVE* w) {
    for (DsChannel& c : g_ds.ch)
        if (c.wave == w) {
            if (c.buffer) c.buffer->Stop();
            Forget(c);
        }
}

void ReleaseAll() {
    if (g_ds.primary) {
        g_ds.primary->Stop();
        g_ds.primary->Release();
    }
    if (g_ds.ds) g_ds.ds->Release();
    g_ds.primary = nullptr;
    g_ds.ds = nullptr;
}

void Close() {
    if (!g_ds.on) return;
    for (DsChannel& c : g_ds.ch) {
        if (c.buffer) c.buffer->Stop();
        Forget(c);
    }
    ReleaseAll();  // the waves' buffers go with TOV_WaveFree
    g_ds.on = false;
}

int WaveRead(const char* path, tagTOVWAVE* wave) {
    LoadedWave l;
    if (!LoadWave(path, &l, WaveForm::kBuffer)) return 0;
    IDirectSoundBuffer* b = NewBuffer(l.rate, l.bit, l.mode, l.data, l.size, nullptr, 0, 0, 0);
    TOV_Free(l.data);
    if (!b) return 0;
    wave->rate = l.rate;
    wave->bit = l.bit;
    wave->mode = l.mode;  // segments are not parsed in this mode
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    b->GetCaps(&caps);
    wave->size = LONG(caps.dwBufferBytes);
    for (int i = 0; i < 9; ++i) wave->blocktop[i] = wave->blockbottom[i] = wave->blocksize[i] = 0;
    wave->data = reinterpret_cast<BYTE*>(b);
    ++Lib().heldWaves;
    return 1;
}

// Gives the wave a new buffer, releasing its old one.
void Replace(tagTOVWAVE* w, IDirectSoundBuffer* b) {
    StopChannelsOf(w);
    BufferOf(w)->Release();
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    b->GetCaps(&caps);
    w->data = reinterpret_cast<BYTE*>(b);
    w->size = LONG(caps.dwBufferBytes);
}

int AppendWaveRead(const char* path, tagTOVWAVE* wave) {
    if (!wave->data) return 0;
    LoadedWave l;
    if (!LoadWave(path, &l, WaveForm::kBuffer)) return 0;
    IDirectSoundBuffer* b = nullptr;
    uint8_t* p = nullptr;
    DWORD n = 0;
    if (l.bit == wave->bit && l.mode == wave->mode && Samples(wave, &p, &n)) {
        b = NewBuffer(l.rate, l.bit, l.mode, p, n, l.data, l.size, 0, 0);
        BufferOf(wave)->Unlock(p, n, nullptr, 0);
    }
    TOV_Free(l.data);
    if (!b) return 0;
    Replace(wave, b);
    return 1;
}

int WaveFree(tagTOVWAVE* wave) {
    StopChannelsOf(wave);
    if (wave->data) {
        BufferOf(wave)->Release();
        --Lib().heldWaves;
    }
    wave->data = nullptr;
    wave->rate = wave->bit = wave->mode = wave->size = 0;
    return 1;
}

tagTOVWAVE* AppendWave(tagTOVWAVE* dst, tagTOVWAVE* src) {
    // Samples of another form cannot follow these: nothing changes and the caller is told.
    if (!dst->data || src->bit != dst->bit || src->mode != dst->mode) return nullptr;
    uint8_t *a = nullptr, *b = nullptr;
    DWORD na = 0, nb = 0;
    if (!Samples(dst, &a, &na)) return nullptr;
    IDirectSoundBuffer* joined = nullptr;
    if (Samples(src, &b, &nb)) {
        joined = NewBuffer(dst->rate, dst->bit, dst->mode, a, na, b, nb, 0, 0);
        BufferOf(src)->Unlock(b, nb, nullptr, 0);
    }
    BufferOf(dst)->Unlock(a, na, nullptr, 0);
    if (!joined) return nullptr;
    Replace(dst, joined);
    WaveFree(src);
    return dst;
}

int AppendSilence(tagTOVWAVE* wave, uint32_t n) {
    uint8_t* p = nullptr;
    DWORD size = 0;
    if (!Samples(wave, &p, &size)) return 0;
    // Silence in the wave's own form: 16-bit samples are signed.
    IDirectSoundBuffer* b = NewBuffer(wave->rate, wave->bit, wave->mode, p, size, nullptr, 0, n,
                                      wave->bit == 16 ? 0x00 : 0x80);
    BufferOf(wave)->Unlock(p, size, nullptr, 0);
    if (!b) return 0;
    Replace(wave, b);
    return 1;
}

bool LockWave(tagTOVWAVE* wave, void** data, DWORD* size) {
    uint8_t* p = nullptr;
    if (!Samples(wave, &p, size)) return false;
    *data = p;
    return true;
}

int UnlockWave(tagTOVWAVE* wave, void* data, DWORD size) {
    if (!wave->data) return 0;
    return SUCCEEDED(BufferOf(wave)->Unlock(data, size, nullptr, 0)) ? 1 : 0;
}

int Play(int channel, tagTOVWAVE* wave, int count, int offset) {
    Refresh();
    if (count == 0 || !wave || !wave->data) return -1;
    int c;
    if (channel < 0) {
        c = -1;
        for (int k = -channel; k < MixCount(); ++k)
            if (g_ds.ch[size_t(k)].count == 0) {
                c = k;
                break;
            }
        if (c < 0) return -1;
    } else {
        c = channel % kChannels;
    }
    DsChannel& ch = g_ds.ch[size_t(c)];
    IDirectSoundBuffer* b = BufferOf(wave);
    // A replaced sound ends, as it does in the mixer.
    if (ch.buffer && ch.buffer != b) ch.buffer->Stop();
    ch.buffer = b;
    ch.wave = wave;
    ch.count = count;
    ch.pause = 0;
    ch.pitch = 1.0f;
    ch.offset = offset;
    b->Stop();
    b->SetCurrentPosition(0);
    b->SetVolume(g_ds.volumes[size_t(Clamp(ch.volume, 0, 15))]);
    b->SetFrequency(DWORD(std::trunc(float(wave->rate) * ch.pitch)));
    Start(ch);
    return c;
}

int Stop(int channel) {
    if (channel < 0) {
        for (DsChannel& c : g_ds.ch) {
            if (c.buffer) c.buffer->Stop();
            Forget(c);
        }
        return channel;
    }
    if (!Valid(channel)) return -1;
    DsChannel& c = g_ds.ch[size_t(channel)];
    if (c.buffer) c.buffer->Stop();
    Forget(c);
    return channel;
}

int Pause(int channel, int flag) {
    if (channel < 0) {
        if (!flag)
            g_ds.devicePaused = false;
        else
            Refresh();  // what has ended is not resumed later
        for (DsChannel& c : g_ds.ch) {
            if (!c.buffer || c.count == 0) continue;
            if (flag)
                c.buffer->Stop();
            else if (!c.pause)
                Start(c);
        }
        if (flag) g_ds.devicePaused = true;
        return 0;
    }
    if (!Valid(channel)) return -1;
    Refresh();
    DsChannel& c = g_ds.ch[size_t(channel)];
    c.pause = flag;
    if (c.buffer && c.count != 0 && !g_ds.devicePaused) {
        if (flag)
            c.buffer->Stop();
        else
            Start(c);
    }
    return channel;
}

int Status(int channel) {
    auto playing = [](const DsChannel& c) {
        DWORD s = 0;
        return c.buffer && SUCCEEDED(c.buffer->GetStatus(&s)) && (s & DSBSTATUS_PLAYING);
    };
    Refresh();
    if (channel >= 0) return Valid(channel) && playing(g_ds.ch[size_t(channel)]) ? 1 : 0;
    for (const DsChannel& c : g_ds.ch)
        if (playing(c)) return 1;
    return 0;
}

int PlayCount(int channel, int count) {
    if (!Valid(channel)) return 0;
    Refresh();
    DsChannel& c = g_ds.ch[size_t(channel)];
    if (c.count == 0) return 0;
    const int old = c.count;
    c.count = count;
    if (count == 0) {
        if (c.buffer) c.buffer->Stop();
        Forget(c);
    } else {
        WynPlat_SetSoundBufferPasses(c.buffer, count > 1 ? DWORD(count) : 0);
    }
    return old;
}

int SetMasterVol(int volume) {
    g_ds.master = Clamp(volume, 0, 15);
    if (g_ds.primary) g_ds.primary->SetVolume(g_ds.volumes[size_t(g_ds.master)]);
    return g_ds.master;
}

int GetMasterVol() { return g_ds.master; }

int SetLocalVol(int channel, int volume) {
    volume = Clamp(volume, 0, 15);
    auto set = [&](DsChannel& c) {
        c.volume = volume;
        if (c.buffer) c.buffer->SetVolume(g_ds.volumes[size_t(volume)]);
    };
    if (channel == -1) {
        for (DsChannel& c : g_ds.ch) set(c);
        return channel;
    }
    if (!Valid(channel)) return -1;
    set(g_ds.ch[size_t(channel)]);
    return channel;
}

int GetLocalVol(int channel) { return Valid(channel) ? g_ds.ch[size_t(channel)].volume : 0; }

int SetPitch(int channel, int value, bool percent) {
    if (!Valid(channel)) return -1;
    DsChannel& c = g_ds.ch[size_t(channel)];
    if (c.count == 0 || !c.buffer || !c.wave) return channel;
    // A percentage of the wave's own rate, so that 100 keeps an 11025 Hz wave at 11025 Hz.
    const double hz = percent ? std::trunc(double(c.wave->rate) * value / 100.0) : double(value);
    c.pitch = float(hz / double(c.wave->rate));
    // A frequency the sound object refuses is ignored, as every failure here is.
    if (hz >= DSBFREQUENCY_MIN && hz <= DSBFREQUENCY_MAX) c.buffer->SetFrequency(DWORD(hz));
    return channel;
}

// What the mixer alone does has no effect here.
int PlayJust(int, tagTOVWAVE*, int, int) { return -1; }   // it needs the mixer's own output
int Skip(int, int) { return 0; }                          // segments are not parsed
int PitchWave(tagTOVWAVE*, double) { return 0; }          // the data is a sound buffer
int Fade(int channel, int, int, int) { return channel; }  // buffer volumes do not fade
int SetBufferInfo(int, int, int) { return 0; }
void GetBufferInfo(int* count, int* bytes, int* prequeued) {
    if (count) *count = 8;
    if (bytes) *bytes = 4096;
    if (prequeued) *prequeued = 2;
}
int Charge() { return 8; }

}  // namespace

bool DsOpen(int bits) {
    DsOutput& o = g_ds;
    if (o.on) Close();
    o.bits = bits;
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = 22050;
    f.wBitsPerSample = WORD(bits);
    f.nBlockAlign = WORD(bits / 8 * 2);
    f.nAvgBytesPerSec = f.nBlockAlign * 22050u;
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    // The sound object belongs to the parent window, not to the hidden one.
    if (FAILED(DirectSoundCreate(nullptr, &o.ds, nullptr)) ||
        FAILED(o.ds->SetCooperativeLevel(Lib().parent, DSSCL_PRIORITY)) ||
        FAILED(o.ds->CreateSoundBuffer(&d, &o.primary, nullptr)) ||
        FAILED(o.primary->SetFormat(&f)) || FAILED(o.ds->GetCaps(&caps))) {
        ReleaseAll();
        return false;
    }
    o.volumes[0] = DSBVOLUME_MIN;
    for (int i = 1; i < 16; ++i)
        o.volumes[size_t(i)] = LONG(std::trunc(1000.0 * std::log2(i / 15.0)));
    for (DsChannel& c : o.ch) c = DsChannel{};
    o.master = 15;
    o.devicePaused = false;
    o.on = true;
    return true;
}

const WaveOutput kDsOutput = {
    .read = WaveRead,
    .appendRead = AppendWaveRead,
    .appendWave = AppendWave,
    .appendSilence = AppendSilence,
    .lock = LockWave,
    .unlock = UnlockWave,
    .free = WaveFree,
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
    .fade = Fade,
    .setPitch = SetPitch,
    .setBufferInfo = SetBufferInfo,
    .getBufferInfo = GetBufferInfo,
    .charge = Charge,
    .close = Close,
};

}  // namespace tov
