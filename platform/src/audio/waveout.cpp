// The wave output: one device (id 0) of 22050 Hz PCM, a source of the process's audio
// output. Buffers play in the order written; a finished one is marked done and reported as
// MM_WOM_DONE posted to the callback window.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <map>

#include "audio/output.h"

namespace {

class WaveOut final : public wyn::audio::Source {
  public:
    WaveOut(const WAVEFORMATEX& f, HWND window, HWAVEOUT handle)
        : handle_(handle), window_(window) {
        channels_ = f.nChannels;
        bytesPerSample_ = f.wBitsPerSample / 8;
        frameBytes_ = channels_ * bytesPerSample_;
    }

    void Render(int32_t* mix, size_t frames, std::vector<wyn::audio::Notice>& notices) override {
        size_t f = 0;
        while (f < frames && !paused_ && !queue_.empty()) {
            WAVEHDR* h = queue_.front();
            const size_t avail = (h->dwBufferLength - pos_) / frameBytes_;
            const size_t n = std::min(avail, frames - f);
            const auto* src = reinterpret_cast<const uint8_t*>(h->lpData) + pos_;
            for (size_t i = 0; i < n; ++i, src += frameBytes_) {
                const int32_t l = Sample(src);
                const int32_t r = channels_ == 2 ? Sample(src + bytesPerSample_) : l;
                mix[2 * (f + i)] += l;
                mix[2 * (f + i) + 1] += r;
            }
            f += n;
            pos_ += n * frameBytes_;
            if (h->dwBufferLength - pos_ < frameBytes_) Finish(notices);
        }
    }

    size_t FramesToNextEvent() const override {
        if (paused_ || queue_.empty()) return wyn::audio::kNoEvent;
        return std::max<size_t>(1, (queue_.front()->dwBufferLength - pos_) / frameBytes_);
    }

    MMRESULT Write(WAVEHDR* h) {
        if (!(h->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
        if (h->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
        h->dwFlags = (h->dwFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE;
        h->lpNext = nullptr;
        queue_.push_back(h);
        // A buffer too short for one frame is finished as soon as it is reached.
        return MMSYSERR_NOERROR;
    }

    void Reset(std::vector<wyn::audio::Notice>& notices) {
        while (!queue_.empty()) Finish(notices);
    }

    bool busy() const { return !queue_.empty(); }
    bool paused_ = false;

  private:
    int32_t Sample(const uint8_t* p) const {
        if (bytesPerSample_ == 1) return (int32_t(p[0]) - 128) * 256;
        return int16_t(uint16_t(p[0] | p[1] << 8));
    }
    void Finish(std::vector<wyn::audio::Notice>& notices) {
        WAVEHDR* h = queue_.front();
        queue_.pop_front();
        pos_ = 0;
        h->dwFlags = (h->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
        if (window_)
            notices.push_back({window_, MM_WOM_DONE, reinterpret_cast<WPARAM>(handle_),
                               reinterpret_cast<LPARAM>(h)});
    }

    HWAVEOUT handle_;
    HWND window_;
    size_t channels_ = 2, bytesPerSample_ = 1, frameBytes_ = 2;
    std::deque<WAVEHDR*> queue_;
    size_t pos_ = 0;
};

// Open devices by handle. Handles are never reused, so that a finished-buffer message
// still queued from a closed device can be told from the messages of a newer one.
std::map<HWAVEOUT, WaveOut*>& Open() {
    static auto* m = new std::map<HWAVEOUT, WaveOut*>;
    return *m;
}
uintptr_t g_nextHandle = 0x5700;

// The device behind a handle, or null; the output lock must be held.
WaveOut* Find(HWAVEOUT h) {
    auto it = Open().find(h);
    return it == Open().end() ? nullptr : it->second;
}

bool FormatOk(const WAVEFORMATEX* f) {
    return f && f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
           (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
           f->nSamplesPerSec == DWORD(wyn::audio::kRate);
}

void PostAll(const std::vector<wyn::audio::Notice>& notices) {
    for (const auto& n : notices) PostMessageA(n.hwnd, n.message, n.wParam, n.lParam);
}

}  // namespace

UINT WINAPI waveOutGetNumDevs(void) { return 1; }

MMRESULT WINAPI waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size) {
    if (!caps || size < sizeof(WAVEOUTCAPSA)) return MMSYSERR_INVALPARAM;
    if (device != 0 && device != UINT_PTR(WAVE_MAPPER) && device != UINT_PTR(UINT(WAVE_MAPPER))) {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        if (!Find(reinterpret_cast<HWAVEOUT>(device))) return MMSYSERR_BADDEVICEID;
    }
    std::memset(caps, 0, sizeof *caps);
    caps->wMid = 1;
    caps->wPid = 1;
    caps->vDriverVersion = 0x0100;
    std::strncpy(caps->szPname, "Wyn wave output", MAXPNAMELEN - 1);
    caps->dwFormats = WAVE_FORMAT_2M08 | WAVE_FORMAT_2S08 | WAVE_FORMAT_2M16 | WAVE_FORMAT_2S16;
    caps->wChannels = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT cap) {
    if (!text || cap == 0) return MMSYSERR_INVALPARAM;
    const char* s;
    switch (error) {
        case MMSYSERR_NOERROR:
            s = "The command completed successfully.";
            break;
        case MMSYSERR_ERROR:
            s = "Unspecified error.";
            break;
        case MMSYSERR_BADDEVICEID:
            s = "The device identifier is out of range.";
            break;
        case MMSYSERR_NOTENABLED:
            s = "The driver is not enabled.";
            break;
        case MMSYSERR_ALLOCATED:
            s = "The device is already in use.";
            break;
        case MMSYSERR_INVALHANDLE:
            s = "The device handle is not valid.";
            break;
        case MMSYSERR_NODRIVER:
            s = "There is no driver installed.";
            break;
        case MMSYSERR_NOMEM:
            s = "Not enough memory.";
            break;
        case MMSYSERR_NOTSUPPORTED:
            s = "The function is not supported.";
            break;
        case MMSYSERR_INVALFLAG:
            s = "An invalid flag was passed.";
            break;
        case MMSYSERR_INVALPARAM:
            s = "An invalid parameter was passed.";
            break;
        case WAVERR_BADFORMAT:
            s = "The wave format is not supported.";
            break;
        case WAVERR_STILLPLAYING:
            s = "The buffer is still playing.";
            break;
        case WAVERR_UNPREPARED:
            s = "The buffer is not prepared.";
            break;
        case WAVERR_SYNC:
            s = "The device is synchronous.";
            break;
        default:
            std::snprintf(text, cap, "%s", "Unknown error.");
            return MMSYSERR_BADERRNUM;
    }
    std::snprintf(text, cap, "%s", s);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT out, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                            DWORD_PTR, DWORD flags) {
    if (device != 0 && device != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
    if (!FormatOk(format)) return WAVERR_BADFORMAT;
    if (flags & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
    if (!out) return MMSYSERR_INVALPARAM;
    const DWORD kind = flags & CALLBACK_TYPEMASK;
    if (kind != CALLBACK_NULL && kind != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
    HWND window = kind == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
    HWAVEOUT handle;
    WaveOut* w;
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        handle = reinterpret_cast<HWAVEOUT>(g_nextHandle++);
        w = new WaveOut(*format, window, handle);
        Open()[handle] = w;
    }
    if (!wyn::audio::Attach(w)) {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        Open().erase(handle);
        delete w;
        return MMSYSERR_NODRIVER;
    }
    *out = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutClose(HWAVEOUT out) {
    wyn::audio::CatchUp();
    WaveOut* w;
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        w = Find(out);
        if (!w) return MMSYSERR_INVALHANDLE;
        if (w->busy()) return WAVERR_STILLPLAYING;
        Open().erase(out);
    }
    wyn::audio::Detach(w);
    delete w;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT out, LPWAVEHDR hdr, UINT size) {
    std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
    if (!Find(out)) return MMSYSERR_INVALHANDLE;
    if (!hdr || size < sizeof(WAVEHDR) || !hdr->lpData) return MMSYSERR_INVALPARAM;
    hdr->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT out, LPWAVEHDR hdr, UINT size) {
    wyn::audio::CatchUp();
    std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
    if (!Find(out)) return MMSYSERR_INVALHANDLE;
    if (!hdr || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (hdr->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    hdr->dwFlags &= ~DWORD(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT out, LPWAVEHDR hdr, UINT size) {
    // Play what is due first: a buffer written after the queue ran dry starts now.
    wyn::audio::CatchUp();
    MMRESULT r;
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        WaveOut* w = Find(out);
        if (!w) return MMSYSERR_INVALHANDLE;
        if (!hdr || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
        r = w->Write(hdr);
    }
    if (r == MMSYSERR_NOERROR) wyn::audio::Changed();
    return r;
}

MMRESULT WINAPI waveOutPause(HWAVEOUT out) {
    wyn::audio::CatchUp();
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        WaveOut* w = Find(out);
        if (!w) return MMSYSERR_INVALHANDLE;
        w->paused_ = true;
    }
    wyn::audio::Changed();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutRestart(HWAVEOUT out) {
    wyn::audio::CatchUp();
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        WaveOut* w = Find(out);
        if (!w) return MMSYSERR_INVALHANDLE;
        w->paused_ = false;
    }
    wyn::audio::Changed();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutReset(HWAVEOUT out) {
    wyn::audio::CatchUp();
    std::vector<wyn::audio::Notice> notices;
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        WaveOut* w = Find(out);
        if (!w) return MMSYSERR_INVALHANDLE;
        w->Reset(notices);
    }
    PostAll(notices);
    wyn::audio::Changed();
    return MMSYSERR_NOERROR;
}
