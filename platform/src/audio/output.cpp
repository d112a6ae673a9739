#include "audio/output.h"

#include <SDL.h>
#include <dlfcn.h>

#include <wynplat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "backend/backend.h"
#include "kernel/clock.h"
#include "kernel/run_record.h"

namespace wyn::audio {
namespace {

// Frames mixed per step: small enough that a finished buffer is reported within a few
// milliseconds of its due time, large enough to keep the per-step cost low.
constexpr size_t kStep = 512;

class Device {
  public:
    virtual ~Device() = default;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual void Changed() {}
    virtual void CatchUp() {}
};

struct AudioBackend {
    const char* name;  // "sdl", "headless"
    bool (*available)();
    std::unique_ptr<Device> (*create)();
};

// The captured stream: a 22050 Hz stereo 16-bit WAV file whose sizes are kept current, so
// that it can be read while the program still plays.
class Capture {
  public:
    bool Open(const char* path) {
        Close();
        if (!path || !*path) return true;
        f_ = std::fopen(path, "wb+");
        if (!f_) return false;
        frames_ = 0;
        uint8_t h[44] = {};
        std::memcpy(h, "RIFF", 4);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        Put32(h + 16, 16);
        Put16(h + 20, 1);
        Put16(h + 22, 2);
        Put32(h + 24, kRate);
        Put32(h + 28, kRate * 4);
        Put16(h + 32, 4);
        Put16(h + 34, 16);
        std::memcpy(h + 36, "data", 4);
        std::fwrite(h, 1, sizeof h, f_);
        Patch();
        return true;
    }
    void Close() {
        if (f_) std::fclose(f_);
        f_ = nullptr;
    }
    bool active() const { return f_ != nullptr; }
    void Write(const int16_t* frames, size_t n) {
        if (!f_ || n == 0) return;
        uint8_t buf[kStep * 4];
        for (size_t i = 0; i < n * 2; ++i) Put16(buf + 2 * i, uint16_t(frames[i]));
        std::fwrite(buf, 4, n, f_);
        frames_ += n;
        Patch();
    }

  private:
    static void Put16(uint8_t* p, uint32_t v) {
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
    }
    static void Put32(uint8_t* p, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
    }
    void Patch() {
        const uint32_t data = uint32_t(frames_ * 4);
        uint8_t v[4];
        Put32(v, 36 + data);
        std::fseek(f_, 4, SEEK_SET);
        std::fwrite(v, 1, 4, f_);
        Put32(v, data);
        std::fseek(f_, 40, SEEK_SET);
        std::fwrite(v, 1, 4, f_);
        std::fseek(f_, 0, SEEK_END);
        std::fflush(f_);
    }
    std::FILE* f_ = nullptr;
    uint64_t frames_ = 0;
};

struct Output {
    std::recursive_mutex lock;
    std::vector<Source*> sources;
    std::unique_ptr<Device> device;
    std::mutex openLock;  // serialises opening and closing the device
    Capture capture;
    bool captureFromEnv = false;
};

// Never destroyed: a playing thread may still run while the process exits.
Output& O() {
    static Output* o = new Output;
    return *o;
}

void Post(const std::vector<Notice>& notices) {
    for (const Notice& n : notices) PostMessageA(n.hwnd, n.message, n.wParam, n.lParam);
}

// Mixes `frames` frames of every source into `out`. Lock held.
void Pull(int16_t* out, size_t frames, std::vector<Notice>& notices) {
    Output& o = O();
    int32_t mix[kStep * 2];
    while (frames > 0) {
        const size_t n = std::min(frames, kStep);
        std::fill(mix, mix + n * 2, 0);
        for (Source* s : o.sources) s->Render(mix, n, notices);
        for (size_t i = 0; i < n * 2; ++i)
            out[i] = int16_t(std::clamp<int32_t>(mix[i], -32768, 32767));
        o.capture.Write(out, n);
        out += n * 2;
        frames -= n;
    }
}

size_t FramesToNextEventLocked() {
    size_t ev = kNoEvent;
    for (Source* s : O().sources) ev = std::min(ev, s->FramesToNextEvent());
    return ev;
}

// ---- headless: consumes the stream at the rate of the process clock ----
class HeadlessDevice : public Device {
  public:
    bool Open() override {
        start_ = wyn::clock::PeekMicros();
        played_ = 0;
        quit_ = false;
        changed_ = false;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    void Close() override {
        quit_ = true;
        wyn::clock::Notify();
        if (thread_.joinable()) thread_.join();
    }
    void Changed() override {
        changed_ = true;
        wyn::clock::Notify();
    }
    void CatchUp() override {
        // Held until the notices are posted: a caller that catches up while the device's own
        // thread is doing so returns only once that thread's notices are in the queues.
        std::lock_guard<std::mutex> posting(post_);
        std::vector<Notice> notices;
        {
            std::lock_guard<std::recursive_mutex> g(O().lock);
            const uint64_t now = wyn::clock::PeekMicros();
            const uint64_t due = now > start_ ? (now - start_) * kRate / 1000000u : 0;
            int16_t buf[kStep * 2];
            while (played_ < due) {
                const size_t n = size_t(std::min<uint64_t>(due - played_, kStep));
                Pull(buf, n, notices);
                played_ += n;
            }
        }
        Post(notices);
    }

  private:
    void Run() {
        while (!quit_) {
            uint64_t deadline = wyn::clock::kNever;
            {
                std::lock_guard<std::recursive_mutex> g(O().lock);
                const size_t ev = FramesToNextEventLocked();
                if (ev != kNoEvent)
                    deadline = start_ + ((played_ + ev) * 1000000u + kRate - 1) / kRate;
            }
            wyn::clock::WaitUntil(deadline, [this] { return changed_.load() || quit_.load(); });
            changed_ = false;
            if (quit_) break;
            CatchUp();
        }
    }

    std::mutex post_;
    uint64_t start_ = 0;
    uint64_t played_ = 0;
    std::atomic<bool> quit_{false};
    std::atomic<bool> changed_{false};
    std::thread thread_;
};

// ---- SDL: the desktop's audio device pulls the stream ----
class SdlDevice : public Device {
  public:
    bool Open() override {
        SDL_AudioSpec want{}, have{};
        want.freq = kRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlDevice::Callback;
        want.userdata = this;
        // No changes allowed: SDL converts to whatever the hardware wants.
        dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (dev_ == 0) return false;
        SDL_PauseAudioDevice(dev_, 0);
        return true;
    }
    void Close() override {
        if (dev_) SDL_CloseAudioDevice(dev_);
        dev_ = 0;
    }

  private:
    static void Callback(void*, Uint8* stream, int len) {
        std::vector<Notice> notices;
        {
            std::lock_guard<std::recursive_mutex> g(O().lock);
            Pull(reinterpret_cast<int16_t*>(stream), size_t(len) / 4, notices);
        }
        Post(notices);
    }
    SDL_AudioDeviceID dev_ = 0;
};

// ALSA reports a machine without a sound card on stderr, a dozen lines through its error
// handler, before SDL gives up; the output says it in one line instead (OpenDevice). The
// handler is set in the one copy of the library that SDL loads too.
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa) return;  // kept loaded: SDL binds to this copy, with its handler
    using SetHandler = int (*)(void (*)(const char*, int, const char*, int, const char*, ...));
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(QuietAlsaError);
}

bool SdlAudioAvailable() {
    static const bool ok = [] {
        QuietAlsa();
        return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }();
    return ok;
}
bool Always() { return true; }
std::unique_ptr<Device> CreateSdl() { return std::make_unique<SdlDevice>(); }
std::unique_ptr<Device> CreateHeadless() { return std::make_unique<HeadlessDevice>(); }

const AudioBackend kBackends[] = {
    {"sdl", SdlAudioAvailable, CreateSdl},
    {"headless", Always, CreateHeadless},
};

// The first backend that is wanted, available and opens; the headless sink always does.
std::unique_ptr<Device> OpenDevice() {
    const char* wanted = wynplat::WantedBackend();
    for (const AudioBackend& b : kBackends) {
        if (wanted && std::strcmp(wanted, b.name) != 0) continue;
        if (b.available()) {
            auto d = b.create();
            if (d && d->Open()) return d;
        }
        if (std::strcmp(b.name, "sdl") == 0) {
            static std::once_flag said;
            std::call_once(said, [] {
                std::fprintf(stderr, "wyn: no audio device (%s); the sound plays silently\n",
                             SDL_GetError());
            });
        }
    }
    auto d = CreateHeadless();
    d->Open();
    return d;
}

}  // namespace

std::recursive_mutex& Lock() { return O().lock; }

bool Attach(Source* source) {
    Output& o = O();
    std::lock_guard<std::mutex> open(o.openLock);
    bool first;
    {
        std::lock_guard<std::recursive_mutex> g(o.lock);
        if (!o.captureFromEnv) {
            o.captureFromEnv = true;
            // %p and %n tell the programs of one hand-over chain apart, as in screenshots.
            const char* path = std::getenv("WYN_AUDIO_CAPTURE");
            if (path && *path && !o.capture.active())
                o.capture.Open(wynplat::ExpandRunPattern(path).c_str());
        }
        first = o.sources.empty() && !o.device;
        o.sources.push_back(source);
    }
    if (first) {
        // Opened outside the output lock: a device's thread may already be pulling.
        auto d = OpenDevice();
        std::lock_guard<std::recursive_mutex> g(o.lock);
        o.device = std::move(d);
    }
    return true;
}

void Detach(Source* source) {
    Output& o = O();
    std::lock_guard<std::mutex> open(o.openLock);
    std::unique_ptr<Device> closing;
    {
        std::lock_guard<std::recursive_mutex> g(o.lock);
        o.sources.erase(std::remove(o.sources.begin(), o.sources.end(), source), o.sources.end());
        if (o.sources.empty()) closing = std::move(o.device);
    }
    // Closed outside the output lock: closing waits for the device's thread, which takes it.
    if (closing) closing->Close();
}

void Changed() {
    Output& o = O();
    std::lock_guard<std::recursive_mutex> g(o.lock);
    if (o.device) o.device->Changed();
}

void CatchUp() {
    // The open lock keeps the device from closing under the call.
    std::lock_guard<std::mutex> open(O().openLock);
    Device* d;
    {
        std::lock_guard<std::recursive_mutex> g(O().lock);
        d = O().device.get();
    }
    if (d) d->CatchUp();
}

}  // namespace wyn::audio

int WINAPI WynPlat_SetAudioCapture(const char* path) {
    wyn::audio::Output& o = wyn::audio::O();
    std::lock_guard<std::recursive_mutex> g(o.lock);
    o.captureFromEnv = true;  // the program's own choice wins over the environment
    return o.capture.Open(path) ? 1 : 0;
}

void WINAPI WynPlat_AudioCatchUp(void) { wyn::audio::CatchUp(); }
