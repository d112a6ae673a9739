// The DirectSound stand-in: every sound object is a source of the process's one audio output
// and mixes its playing secondary buffers in software, each at its own frequency and volume
// under the primary buffer's volume.
#include <windows.h>
#include <dsound.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "audio/output.h"

namespace {

class SoundObject;

// Amplitude of a volume in hundredths of a decibel; the bottom of the range is silence.
double Gain(LONG volume) {
    if (volume <= DSBVOLUME_MIN) return 0.0;
    return std::pow(10.0, double(volume) / 2000.0);
}

bool FormatOk(const WAVEFORMATEX* f) {
    return f && f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
           (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
           f->nSamplesPerSec >= DSBFREQUENCY_MIN && f->nSamplesPerSec <= DSBFREQUENCY_MAX;
}

class SoundBuffer final : public IDirectSoundBuffer {
  public:
    SoundBuffer(SoundObject* owner, DWORD flags, const WAVEFORMATEX* f, DWORD bytes);
    ~SoundBuffer();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
            AddRef();
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS caps) override {
        if (!caps || caps->dwSize < sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
        caps->dwFlags = flags_;
        caps->dwBufferBytes = DWORD(data_.size());
        caps->dwUnlockTransferRate = 0;
        caps->dwPlayCpuOverhead = 0;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(DWORD* play, DWORD* write) override {
        wyn::audio::CatchUp();
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        const DWORD at = primary() ? 0 : DWORD(pos_ >> 16) * format_.nBlockAlign;
        if (play) *play = at;
        if (write) *write = at;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX f, DWORD size, DWORD* written) override {
        if (written) *written = sizeof(WAVEFORMATEX);
        if (!f) return written ? DS_OK : DSERR_INVALIDPARAM;
        if (size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        *f = format_;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVolume(LONG* volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        *volume = volume_;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFrequency(DWORD* hz) override {
        if (!hz) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        *hz = frequency_;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        wyn::audio::CatchUp();
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        *status =
            (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, void** p1, DWORD* n1, void** p2,
                                   DWORD* n2, DWORD flags) override {
        if (!p1 || !n1 || primary()) return primary() ? DSERR_INVALIDCALL : DSERR_INVALIDPARAM;
        const DWORD size = DWORD(data_.size());
        if (flags & DSBLOCK_FROMWRITECURSOR) GetCurrentPosition(nullptr, &offset);
        if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        const DWORD first = std::min(bytes, size - offset);
        *p1 = data_.data() + offset;
        *n1 = first;
        if (p2) *p2 = first < bytes ? data_.data() : nullptr;
        if (n2) *n2 = bytes - first;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Play(DWORD, DWORD, DWORD flags) override {
        wyn::audio::CatchUp();
        {
            std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
            playing_ = true;
            looping_ = (flags & DSBPLAY_LOOPING) != 0;
            passes_ = 0;
        }
        wyn::audio::Changed();
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD offset) override {
        if (primary()) return DSERR_INVALIDCALL;
        if (offset >= data_.size()) return DSERR_INVALIDPARAM;
        wyn::audio::CatchUp();
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        pos_ = uint64_t(offset / format_.nBlockAlign) << 16;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX f) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override {
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        wyn::audio::CatchUp();
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        volume_ = volume;
        gain_ = Gain(volume);
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD hz) override {
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY) || primary()) return DSERR_CONTROLUNAVAIL;
        if (hz == DSBFREQUENCY_ORIGINAL) hz = format_.nSamplesPerSec;
        if (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
        wyn::audio::CatchUp();
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        frequency_ = hz;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        wyn::audio::CatchUp();
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        playing_ = false;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock(void*, DWORD, void*, DWORD) override {
        return primary() ? DSERR_INVALIDCALL : DS_OK;
    }

    // Adds this buffer's next `frames` output frames into `mix` at `master` gain. Lock held.
    void Render(int32_t* mix, size_t frames, double master) {
        const uint64_t length = uint64_t(data_.size() / format_.nBlockAlign) << 16;
        if (!playing_ || length == 0) return;
        // Source frames per output frame, 16.16 fixed point, so positions repeat exactly.
        const uint64_t step = (uint64_t(frequency_) << 16) / uint64_t(wyn::audio::kRate);
        const double gain = gain_ * master;
        const bool stereo = format_.nChannels == 2;
        const int bytes = format_.wBitsPerSample / 8;
        for (size_t i = 0; i < frames; ++i) {
            if (!AtEnd(length)) return;
            const uint8_t* p = data_.data() + (pos_ >> 16) * format_.nBlockAlign;
            const int32_t l = Sample(p, bytes);
            const int32_t r = stereo ? Sample(p + bytes, bytes) : l;
            mix[2 * i] += int32_t(std::lrint(l * gain));
            mix[2 * i + 1] += int32_t(std::lrint(r * gain));
            pos_ += step;
        }
        AtEnd(length);  // a buffer that ended with this block reads as stopped at once
    }

    bool primary() const { return (flags_ & DSBCAPS_PRIMARYBUFFER) != 0; }
    bool playing() const { return playing_; }
    double gain() const { return gain_; }
    void SetPasses(DWORD n) { passLimit_ = n; }

  private:
    // Wraps a position past the end; false when the buffer has stopped there.
    bool AtEnd(uint64_t length) {
        if (pos_ < length) return true;
        pos_ %= length;
        ++passes_;
        if (looping_ && !(passLimit_ && passes_ >= passLimit_)) return true;
        playing_ = false;
        pos_ = 0;
        return false;
    }
    static int32_t Sample(const uint8_t* p, int bytes) {
        if (bytes == 1) return (int32_t(p[0]) - 128) * 256;
        return int16_t(uint16_t(p[0] | p[1] << 8));
    }

    SoundObject* owner_;
    std::atomic<ULONG> refs_{1};
    DWORD flags_;
    WAVEFORMATEX format_{};
    std::vector<uint8_t> data_;
    LONG volume_ = 0;
    double gain_ = 1.0;
    DWORD frequency_ = 0;
    bool playing_ = false;
    bool looping_ = false;
    uint64_t pos_ = 0;  // source frames, 16.16 fixed point
    DWORD passes_ = 0;
    DWORD passLimit_ = 0;
};

class SoundObject final : public IDirectSound, public wyn::audio::Source {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirectSound) {
            AddRef();
            *out = static_cast<IDirectSound*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) {
            wyn::audio::Detach(this);
            delete this;
        }
        return n;
    }

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out,
                                                LPUNKNOWN outer) override {
        if (!out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (!desc || desc->dwSize < sizeof(DSBUFFERDESC) || outer) return DSERR_INVALIDPARAM;
        if (level_ == 0) return DSERR_PRIOLEVELNEEDED;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
            std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
            if (primary_) {
                primary_->AddRef();
            } else {
                WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 22050, 44100, 2, 8, 0};
                primary_ = new SoundBuffer(this, desc->dwFlags, &f, 0);
            }
            *out = primary_;
            return DS_OK;
        }
        if (!FormatOk(desc->lpwfxFormat)) return DSERR_BADFORMAT;
        const WAVEFORMATEX& f = *desc->lpwfxFormat;
        const DWORD align = DWORD(f.nChannels) * f.wBitsPerSample / 8;
        if (desc->dwBufferBytes < 4 || desc->dwBufferBytes > 0x0FFFFFFF ||
            desc->dwBufferBytes % align)
            return DSERR_INVALIDPARAM;
        SoundBuffer* b = new SoundBuffer(this, desc->dwFlags, &f, desc->dwBufferBytes);
        {
            std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
            buffers_.push_back(b);
        }
        *out = b;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS caps) override {
        if (!caps || caps->dwSize < sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
        const DWORD size = caps->dwSize;
        std::memset(caps, 0, sizeof *caps);
        caps->dwSize = size;
        caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT |
                        DSCAPS_PRIMARY16BIT | DSCAPS_EMULDRIVER | DSCAPS_SECONDARYMONO |
                        DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
        caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
        caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
        caps->dwPrimaryBuffers = 1;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override {
        if (!window || !IsWindow(window)) return DSERR_INVALIDPARAM;
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        level_ = level;
        return DS_OK;
    }

    void Render(int32_t* mix, size_t frames, std::vector<wyn::audio::Notice>&) override {
        const double master = primary_ ? primary_->gain() : 1.0;
        for (SoundBuffer* b : buffers_) b->Render(mix, frames, master);
    }
    // Nothing to report, but while a buffer plays the headless sink keeps pace with the
    // clock (so that a capture is current) instead of waiting for the next call.
    size_t FramesToNextEvent() const override {
        for (const SoundBuffer* b : buffers_)
            if (b->playing()) return wyn::audio::kRate / 10;
        return wyn::audio::kNoEvent;
    }

    // A buffer is gone. Lock held.
    void Forget(SoundBuffer* b) {
        if (b == primary_) primary_ = nullptr;
        std::erase(buffers_, b);
    }
    DWORD level() const { return level_; }

  private:
    std::atomic<ULONG> refs_{1};
    DWORD level_ = 0;
    SoundBuffer* primary_ = nullptr;
    std::vector<SoundBuffer*> buffers_;
};

SoundBuffer::SoundBuffer(SoundObject* owner, DWORD flags, const WAVEFORMATEX* f, DWORD bytes)
    : owner_(owner), flags_(flags), format_(*f), data_(bytes) {
    format_.nBlockAlign = WORD(f->nChannels * f->wBitsPerSample / 8);
    format_.nAvgBytesPerSec = format_.nBlockAlign * f->nSamplesPerSec;
    format_.cbSize = 0;
    frequency_ = f->nSamplesPerSec;
    // Silence in the buffer's own sample form until the caller fills it.
    if (f->wBitsPerSample == 8 && !data_.empty()) std::memset(data_.data(), 0x80, data_.size());
    owner_->AddRef();  // the sound object lives as long as its buffers
}

SoundBuffer::~SoundBuffer() { owner_->Release(); }

ULONG STDMETHODCALLTYPE SoundBuffer::Release() {
    const ULONG n = --refs_;
    if (n == 0) {
        {
            std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
            owner_->Forget(this);
        }
        delete this;
    }
    return n;
}

HRESULT STDMETHODCALLTYPE SoundBuffer::SetFormat(LPCWAVEFORMATEX f) {
    if (!primary()) return DSERR_INVALIDCALL;
    if (owner_->level() < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    if (!FormatOk(f)) return DSERR_BADFORMAT;
    std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
    format_ = *f;
    format_.nBlockAlign = WORD(f->nChannels * f->wBitsPerSample / 8);
    format_.nAvgBytesPerSec = format_.nBlockAlign * f->nSamplesPerSec;
    format_.cbSize = 0;
    return DS_OK;
}

}  // namespace

HRESULT WINAPI DirectSoundCreate(LPGUID device, LPDIRECTSOUND* out, LPUNKNOWN outer) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (device || outer) return device ? DSERR_NODRIVER : DSERR_INVALIDPARAM;
    auto* s = new SoundObject;
    if (!wyn::audio::Attach(s)) {
        delete s;
        return DSERR_NODRIVER;
    }
    *out = s;
    return DS_OK;
}

HRESULT WINAPI WynPlat_SetSoundBufferPasses(LPDIRECTSOUNDBUFFER buffer, DWORD passes) {
    if (!buffer) return DSERR_INVALIDPARAM;
    std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
    static_cast<SoundBuffer*>(buffer)->SetPasses(passes);
    return DS_OK;
}
