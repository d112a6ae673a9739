// The media control interface: three devices that really play, each a source of the one
// audio output, so that positions, ends and the "finished" notices follow the process clock.
//  - "avivideo": an AVI movie drawn into a window's rectangle, its sound into the output;
//  - "sequencer": a standard MIDI file, synthesized when the synthesizer is there;
//  - "cdaudio": the virtual CD drive, whose disc is a folder of wave files, one per track
//    in name order (WYN_CDROM; none: the drive is empty).
// Positions are kept in output frames (22050 a second); times are milliseconds, or for CD
// audio also tracks/minutes/seconds/frames (75 a second).
#include <windows.h>
#include <mmsystem.h>
#include <wynplat.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/media_files.h"
#include "audio/midi_synth.h"
#include "audio/output.h"
#include "kernel/paths.h"

namespace {

using wyn::media::FramesToMs;
using wyn::media::MsToFrames;

enum class Kind { kCd, kSequencer, kVideo, kOther };

struct Track {
    uint64_t start = 0;  // frame on the disc
    std::vector<int16_t> frames;
};

class Device final : public wyn::audio::Source {
  public:
    MCIDEVICEID id = 0;
    Kind kind = Kind::kOther;
    std::string type;  // lower case
    DWORD timeFormat = MCI_FORMAT_MILLISECONDS;
    bool loaded = false;  // a file or disc to play
    bool doorOpen = false;
    bool playing = false, paused = false;
    uint64_t pos = 0, end = 0, length = 0;  // frames
    HWND notify = nullptr;                  // a play's pending notice goes here
    bool attached = false;

    std::vector<Track> tracks;  // CD audio
    wyn::media::Song song;      // MIDI
    size_t nextEvent = 0;
    wyn::media::Synth* synth = nullptr;
    std::vector<uint8_t> file;  // video
    wyn::media::Movie movie;
    HWND window = nullptr;
    RECT dest{};
    bool haveDest = false;
    long drawn = -1;  // frame shown last

    const std::vector<int16_t>* Sound(uint64_t at, uint64_t* offset) const {
        if (kind == Kind::kVideo) {
            *offset = at;
            return &movie.sound;
        }
        if (kind == Kind::kCd)
            for (const Track& t : tracks)
                if (at >= t.start && at < t.start + t.frames.size() / 2) {
                    *offset = at - t.start;
                    return &t.frames;
                }
        return nullptr;
    }

    uint64_t VideoFrameAt(uint64_t at) const {
        return movie.usPerFrame ? at * 1000000u / 22050u / movie.usPerFrame : 0;
    }

    void Render(int32_t* mix, size_t frames, std::vector<wyn::audio::Notice>& notices) override {
        if (!playing || paused) return;
        size_t done = 0;
        while (done < frames && pos < end) {
            size_t n = size_t(std::min<uint64_t>(frames - done, end - pos));
            if (kind == Kind::kSequencer) {
                // Events due inside this piece split it.
                while (nextEvent < song.events.size() &&
                       song.events[nextEvent].us * 22050u / 1000000u <= pos) {
                    if (synth)
                        synth->Send(song.events[nextEvent].bytes, song.events[nextEvent].size);
                    ++nextEvent;
                }
                if (nextEvent < song.events.size()) {
                    const uint64_t at = song.events[nextEvent].us * 22050u / 1000000u;
                    n = size_t(std::min<uint64_t>(n, std::max<uint64_t>(1, at - pos)));
                }
                if (synth) synth->Render(mix + 2 * done, n);
            } else {
                size_t k = 0;
                while (k < n) {
                    uint64_t off = 0;
                    const std::vector<int16_t>* s = Sound(pos + k, &off);
                    if (!s || off * 2 >= s->size()) break;
                    const size_t m = size_t(std::min<uint64_t>(n - k, s->size() / 2 - off));
                    for (size_t i = 0; i < m; ++i) {
                        mix[2 * (done + k + i)] += (*s)[2 * (off + i)];
                        mix[2 * (done + k + i) + 1] += (*s)[2 * (off + i) + 1];
                    }
                    k += m;
                }
            }
            pos += n;
            done += n;
            if (kind == Kind::kVideo) DrawCurrent();
        }
        if (pos >= end) {
            playing = false;
            if (synth) synth->Reset();
            if (notify) {
                notices.push_back({notify, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, LPARAM(id)});
                notify = nullptr;
            }
        }
    }

    size_t FramesToNextEvent() const override {
        if (!playing || paused) return wyn::audio::kNoEvent;
        uint64_t ev = end - pos;
        if (kind == Kind::kVideo && window) {
            // Wake for each new picture.
            const uint64_t next =
                (VideoFrameAt(pos) + 1) * movie.usPerFrame * 22050u / 1000000u + 1;
            if (next > pos) ev = std::min(ev, next - pos);
        }
        return size_t(std::max<uint64_t>(1, ev));
    }

    // Draws the picture due at the present position into the window's rectangle.
    void DrawCurrent() {
        if (!window || movie.frames.empty()) return;
        const long frame = long(std::min<uint64_t>(VideoFrameAt(pos), movie.frames.size() - 1));
        if (frame == drawn) return;
        drawn = frame;
        Draw(frame);
    }

    void Draw(long frame) {
        if (!IsWindow(window)) return;
        std::vector<uint32_t> pixels;
        movie.Pixels(file, size_t(frame), &pixels);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = movie.width;
        bi.bmiHeader.biHeight = -movie.height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        HDC wdc = GetDC(window);
        if (!wdc) return;
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bmp && bits) {
            std::memcpy(bits, pixels.data(), pixels.size() * 4);
            HDC mdc = CreateCompatibleDC(wdc);
            HGDIOBJ old = SelectObject(mdc, bmp);
            RECT r = dest;
            if (!haveDest) GetClientRect(window, &r);
            StretchBlt(wdc, r.left, r.top, r.right - r.left, r.bottom - r.top, mdc, 0, 0,
                       movie.width, movie.height, SRCCOPY);
            SelectObject(mdc, old);
            DeleteDC(mdc);
        }
        if (bmp) DeleteObject(bmp);
        ReleaseDC(window, wdc);
    }

    // Sequencer: the controllers and programs set before `at` apply, no notes sound.
    void SeekSong(uint64_t at) {
        nextEvent = 0;
        if (synth) synth->Reset();
        while (nextEvent < song.events.size() &&
               song.events[nextEvent].us * 22050u / 1000000u < at) {
            const auto& e = song.events[nextEvent];
            if (synth && (e.bytes[0] & 0xF0) != 0x90 && (e.bytes[0] & 0xF0) != 0x80)
                synth->Send(e.bytes, e.size);
            ++nextEvent;
        }
    }
};

struct Mci {
    std::map<MCIDEVICEID, std::unique_ptr<Device>> devices;
    MCIDEVICEID next = 1;
};

// Guarded by the audio output's lock, which the playing thread holds while rendering.
bool g_doorOpen = false;  // the virtual drive's tray; a device opened later sees it

Mci& M() {
    static auto* m = new Mci;
    return *m;
}

std::string Lower(const char* s) {
    std::string r = s ? s : "";
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

std::string TypeName(DWORD_PTR flags, const MCI_OPEN_PARMSA* p) {
    if (flags & MCI_OPEN_TYPE_ID) {
        switch (LOWORD(reinterpret_cast<DWORD_PTR>(p->lpstrDeviceType))) {
            case MCI_DEVTYPE_CD_AUDIO:
                return "cdaudio";
            case MCI_DEVTYPE_SEQUENCER:
                return "sequencer";
            case MCI_DEVTYPE_DIGITAL_VIDEO:
                return "digitalvideo";
            case MCI_DEVTYPE_ANIMATION:
                return "animation";
            case MCI_DEVTYPE_WAVEFORM_AUDIO:
                return "waveaudio";
            default:
                return "";
        }
    }
    if (flags & MCI_OPEN_TYPE) return Lower(p->lpstrDeviceType);
    return "";
}

bool KnownType(const std::string& t) {
    return t == "cdaudio" || t == "sequencer" || t == "avivideo" || t == "digitalvideo" ||
           t == "animation" || t == "waveaudio" || t == "mpegvideo";
}

// The disc in the virtual drive: the wave files of the folder, in name order.
bool LoadDisc(Device& d) {
    d.tracks.clear();
    d.loaded = false;
    const char* dir = std::getenv("WYN_CDROM");
    if (!dir || !*dir || d.doorOpen) return false;
    std::vector<std::string> names;
    if (DIR* h = opendir(dir)) {
        while (dirent* e = readdir(h)) {
            std::string n = e->d_name;
            if (n.size() > 4 && Lower(n.c_str() + n.size() - 4) == ".wav") names.push_back(n);
        }
        closedir(h);
    }
    std::sort(names.begin(), names.end());
    uint64_t at = 0;
    for (const std::string& n : names) {
        std::vector<uint8_t> bytes;
        Track t;
        if (!wyn::media::ReadFile(std::string(dir) + "/" + n, &bytes) ||
            !wyn::media::DecodeWave(bytes.data(), bytes.size(), &t.frames))
            continue;
        t.start = at;
        at += t.frames.size() / 2;
        d.tracks.push_back(std::move(t));
        if (d.tracks.size() == 99) break;
    }
    d.length = at;
    d.loaded = !d.tracks.empty();
    return d.loaded;
}

MCIERROR LoadElement(Device& d, const char* element) {
    std::string path(4096, '\0');
    if (!element || !WynPlat_ResolvePath(element, path.data(), path.size()))
        return MCIERR_FILE_NOT_FOUND;
    path.resize(std::strlen(path.c_str()));
    std::vector<uint8_t> bytes;
    if (!wyn::media::ReadFile(path, &bytes)) return MCIERR_FILE_NOT_FOUND;
    if (d.kind == Kind::kSequencer) {
        if (!wyn::media::ParseSong(bytes.data(), bytes.size(), &d.song)) return MCIERR_INVALID_FILE;
        d.length = MsToFrames(d.song.lengthUs / 1000);
    } else if (d.kind == Kind::kVideo) {
        if (!wyn::media::ParseMovie(bytes.data(), bytes.size(), &d.movie))
            return MCIERR_INVALID_FILE;
        d.file = std::move(bytes);
        d.length = MsToFrames(d.movie.LengthMs());
    } else {
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    d.loaded = true;
    return 0;
}

// Disc frame -> the device's time format, and back. CD positions in TMSF count from the
// start of their track; lengths and MSF from the start of the disc.
DWORD ToFormat(const Device& d, uint64_t frames, bool length) {
    const uint64_t ms = FramesToMs(frames);
    auto msf = [](uint64_t ms2, int* m, int* s, int* f) {
        *m = int(ms2 / 60000);
        *s = int(ms2 / 1000 % 60);
        *f = int(ms2 % 1000 * 75 / 1000);
    };
    int m, s, f;
    switch (d.timeFormat) {
        case MCI_FORMAT_MSF:
            msf(ms, &m, &s, &f);
            return DWORD(m & 0xFF) | DWORD(s) << 8 | DWORD(f) << 16;
        case MCI_FORMAT_TMSF: {
            if (length || d.tracks.empty()) {
                msf(ms, &m, &s, &f);
                return DWORD(m & 0xFF) | DWORD(s) << 8 | DWORD(f) << 16;
            }
            size_t t = 0;
            while (t + 1 < d.tracks.size() && frames >= d.tracks[t + 1].start) ++t;
            msf(FramesToMs(frames - d.tracks[t].start), &m, &s, &f);
            return MCI_MAKE_TMSF(t + 1, m, s, f);
        }
        default:
            return DWORD(ms);
    }
}

bool FromFormat(const Device& d, DWORD value, uint64_t* frames) {
    uint64_t ms;
    switch (d.timeFormat) {
        case MCI_FORMAT_MSF:
            ms = uint64_t(value & 0xFF) * 60000 + ((value >> 8) & 0xFF) * 1000 +
                 ((value >> 16) & 0xFF) * 1000 / 75;
            *frames = MsToFrames(ms);
            return true;
        case MCI_FORMAT_TMSF: {
            const size_t t = MCI_TMSF_TRACK(value);
            if (t < 1 || t > d.tracks.size()) return false;
            ms = uint64_t(MCI_TMSF_MINUTE(value)) * 60000 + MCI_TMSF_SECOND(value) * 1000 +
                 MCI_TMSF_FRAME(value) * 1000 / 75;
            *frames = d.tracks[t - 1].start + MsToFrames(ms);
            return true;
        }
        case MCI_FORMAT_MILLISECONDS:
            *frames = MsToFrames(value);
            return true;
        default:
            return false;
    }
}

HWND CallbackWindow(DWORD_PTR callback) { return reinterpret_cast<HWND>(callback); }

// A pending play notice that will not come true is reported as aborted.
void Abort(Device& d, std::vector<wyn::audio::Notice>& notices) {
    if (d.notify) notices.push_back({d.notify, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, LPARAM(d.id)});
    d.notify = nullptr;
}

void Post(const std::vector<wyn::audio::Notice>& notices) {
    for (const auto& n : notices) PostMessageA(n.hwnd, n.message, n.wParam, n.lParam);
}

MCIERROR Open(DWORD_PTR flags, MCI_OPEN_PARMSA* p) {
    if (!p) return MCIERR_MISSING_PARAMETER;
    std::string type = TypeName(flags, p);
    if (type.empty()) return MCIERR_DEVICE_TYPE_REQUIRED;
    if (!KnownType(type)) return MCIERR_INVALID_DEVICE_NAME;
    auto d = std::make_unique<Device>();
    d->type = type;
    d->kind = type == "cdaudio"     ? Kind::kCd
              : type == "sequencer" ? Kind::kSequencer
              : type == "avivideo"  ? Kind::kVideo
                                    : Kind::kOther;
    if (d->kind == Kind::kCd) {
        d->timeFormat = MCI_FORMAT_MSF;
        d->doorOpen = g_doorOpen;
        if (flags & MCI_OPEN_ELEMENT) {
            // The element names the drive ("Q:"); only the virtual drive is a CD drive.
            const char* e = p->lpstrElementName;
            if (!e || !e[0] || e[1] != ':' || char(e[0] & ~0x20) != wynplat::CdDriveLetter())
                return MCIERR_INVALID_DEVICE_NAME;
        }
        LoadDisc(*d);
    } else if (flags & MCI_OPEN_ELEMENT) {
        if (MCIERROR e = LoadElement(*d, p->lpstrElementName)) return e;
    }
    // A source from the start, so that its position moves with the stream it joins.
    wyn::audio::CatchUp();
    d->attached = wyn::audio::Attach(d.get());
    std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
    Mci& m = M();
    d->id = m.next++;
    p->wDeviceID = d->id;
    m.devices[d->id] = std::move(d);
    return 0;
}

MCIERROR Close(MCIDEVICEID id) {
    std::unique_ptr<Device> d;
    std::vector<wyn::audio::Notice> notices;
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        auto it = M().devices.find(id);
        if (it == M().devices.end()) return MCIERR_INVALID_DEVICE_ID;
        d = std::move(it->second);
        M().devices.erase(it);
        Abort(*d, notices);
        if (d->synth && d->playing) d->synth->Reset();
    }
    if (d->attached) wyn::audio::Detach(d.get());
    Post(notices);
    return 0;
}

MCIERROR Play(Device& d, DWORD_PTR flags, const MCI_PLAY_PARMS* p,
              std::vector<wyn::audio::Notice>& notices) {
    if (d.kind == Kind::kCd && !d.loaded) return MCIERR_DEVICE_NOT_READY;
    if (!d.loaded) return MCIERR_UNSUPPORTED_FUNCTION;
    uint64_t from = d.pos, to = d.length;
    if (flags & MCI_FROM) {
        if (!p || !FromFormat(d, p->dwFrom, &from)) return MCIERR_OUTOFRANGE;
    }
    if (flags & MCI_TO) {
        if (!p || !FromFormat(d, p->dwTo, &to)) return MCIERR_OUTOFRANGE;
    }
    if (from > d.length || to > d.length || from > to) return MCIERR_OUTOFRANGE;
    if (d.notify) notices.push_back({d.notify, MM_MCINOTIFY, MCI_NOTIFY_SUPERSEDED, LPARAM(d.id)});
    d.notify = (flags & MCI_NOTIFY) && p ? CallbackWindow(p->dwCallback) : nullptr;
    if (d.kind == Kind::kSequencer) {
        if (!d.synth) d.synth = wyn::media::Synth::Get();
        if (from != d.pos || !d.playing) d.SeekSong(from);
    }
    d.pos = from;
    d.end = to;
    d.playing = true;
    d.paused = false;
    d.drawn = -1;
    if (d.kind == Kind::kVideo) d.DrawCurrent();
    if (from == to) {
        // Nothing to play: finished at once.
        d.playing = false;
        if (d.notify)
            notices.push_back({d.notify, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, LPARAM(d.id)});
        d.notify = nullptr;
    }
    return 0;
}

MCIERROR Status(Device& d, DWORD_PTR flags, MCI_STATUS_PARMS* p) {
    if (!p || !(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    const bool cd = d.kind == Kind::kCd;
    switch (p->dwItem) {
        case MCI_STATUS_MODE:
            p->dwReturn = d.doorOpen        ? MCI_MODE_OPEN
                          : cd && !d.loaded ? MCI_MODE_NOT_READY
                          : d.playing       ? (d.paused ? MCI_MODE_PAUSE : MCI_MODE_PLAY)
                                            : MCI_MODE_STOP;
            return 0;
        case MCI_STATUS_MEDIA_PRESENT:
        case MCI_STATUS_READY:
            p->dwReturn = d.loaded ? TRUE : FALSE;
            return 0;
        case MCI_STATUS_TIME_FORMAT:
            p->dwReturn = d.timeFormat;
            return 0;
        default:
            break;
    }
    if (!d.loaded) return cd ? MCIERR_DEVICE_NOT_READY : MCIERR_UNSUPPORTED_FUNCTION;
    const bool track = (flags & MCI_TRACK) && cd;
    if (track && (p->dwTrack < 1 || p->dwTrack > d.tracks.size())) return MCIERR_OUTOFRANGE;
    switch (p->dwItem) {
        case MCI_STATUS_LENGTH:
            p->dwReturn = track ? ToFormat(d, d.tracks[p->dwTrack - 1].frames.size() / 2, true)
                                : ToFormat(d, d.length, true);
            return 0;
        case MCI_STATUS_POSITION:
            if (track)
                p->dwReturn = ToFormat(d, d.tracks[p->dwTrack - 1].start, false);
            else if (flags & MCI_STATUS_START)
                p->dwReturn = ToFormat(d, 0, false);
            else
                p->dwReturn = ToFormat(d, d.pos, false);
            return 0;
        case MCI_STATUS_NUMBER_OF_TRACKS:
            p->dwReturn = cd ? d.tracks.size() : 1;
            return 0;
        case MCI_STATUS_CURRENT_TRACK:
            p->dwReturn = 1;
            if (cd) {
                size_t t = 0;
                while (t + 1 < d.tracks.size() && d.pos >= d.tracks[t + 1].start) ++t;
                p->dwReturn = t + 1;
            }
            return 0;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

}  // namespace

MCIERROR WINAPI mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags,
                                DWORD_PTR param) {
    if (message == MCI_OPEN) return Open(flags, reinterpret_cast<MCI_OPEN_PARMSA*>(param));
    if (message == MCI_CLOSE) return Close(device);
    // Everything due by now has played, so positions and ends are those of the present.
    wyn::audio::CatchUp();
    std::vector<wyn::audio::Notice> notices;
    MCIERROR result = 0;
    {
        std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
        auto it = M().devices.find(device);
        if (it == M().devices.end()) return MCIERR_INVALID_DEVICE_ID;
        Device& d = *it->second;
        switch (message) {
            case MCI_PLAY:
                result = Play(d, flags, reinterpret_cast<MCI_PLAY_PARMS*>(param), notices);
                break;
            case MCI_STOP:
                if (d.playing && d.synth) d.synth->Reset();
                d.playing = d.paused = false;
                Abort(d, notices);
                break;
            case MCI_PAUSE:
                if (d.playing) d.paused = true;
                break;
            case MCI_RESUME:
                d.paused = false;
                break;
            case MCI_SEEK: {
                auto* p = reinterpret_cast<MCI_SEEK_PARMS*>(param);
                uint64_t to = 0;
                if ((flags & MCI_TO) && (!p || !FromFormat(d, p->dwTo, &to))) {
                    result = MCIERR_OUTOFRANGE;
                    break;
                }
                if (!d.loaded || to > d.length) {
                    result = d.loaded ? MCIERR_OUTOFRANGE : MCIERR_UNSUPPORTED_FUNCTION;
                    break;
                }
                if (d.playing && d.synth) d.synth->Reset();
                Abort(d, notices);
                d.playing = d.paused = false;
                d.pos = to;
                if (d.kind == Kind::kSequencer) d.SeekSong(to);
                break;
            }
            case MCI_WINDOW: {
                auto* p = reinterpret_cast<MCI_ANIM_WINDOW_PARMSA*>(param);
                if ((flags & MCI_ANIM_WINDOW_HWND) && p) d.window = p->hWnd;
                break;
            }
            case MCI_PUT: {
                auto* p = reinterpret_cast<MCI_ANIM_RECT_PARMS*>(param);
                if ((flags & MCI_ANIM_RECT) && p && (flags & MCI_ANIM_PUT_DESTINATION)) {
                    // Given as left, top, width, height.
                    d.dest = {p->rc.left, p->rc.top, p->rc.left + p->rc.right,
                              p->rc.top + p->rc.bottom};
                    d.haveDest = true;
                }
                break;
            }
            case MCI_SET: {
                auto* p = reinterpret_cast<MCI_SET_PARMS*>(param);
                if (flags & MCI_SET_TIME_FORMAT) {
                    if (!p) {
                        result = MCIERR_MISSING_PARAMETER;
                        break;
                    }
                    const DWORD f = p->dwTimeFormat;
                    const bool ok =
                        f == MCI_FORMAT_MILLISECONDS ||
                        (d.kind == Kind::kCd && (f == MCI_FORMAT_MSF || f == MCI_FORMAT_TMSF));
                    if (!ok) {
                        result = MCIERR_UNSUPPORTED_FUNCTION;
                        break;
                    }
                    d.timeFormat = f;
                }
                if (flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED)) {
                    if (d.kind != Kind::kCd) {
                        result = MCIERR_UNSUPPORTED_FUNCTION;
                        break;
                    }
                    // One drive: every device open on it sees its tray.
                    const bool open = flags & MCI_SET_DOOR_OPEN;
                    for (auto& [cid, c] : M().devices) {
                        if (c->kind != Kind::kCd) continue;
                        if (open) {
                            // The disc leaves the drive under a playing device: its notice fails.
                            if (c->notify)
                                notices.push_back(
                                    {c->notify, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, LPARAM(cid)});
                            c->notify = nullptr;
                            c->playing = c->paused = false;
                            c->doorOpen = true;
                            c->tracks.clear();
                            c->loaded = false;
                            c->pos = c->length = 0;
                        } else if (c->doorOpen) {
                            c->doorOpen = false;
                            LoadDisc(*c);
                        }
                    }
                    g_doorOpen = open;
                }
                break;
            }
            case MCI_STATUS:
                result = Status(d, flags, reinterpret_cast<MCI_STATUS_PARMS*>(param));
                break;
            default:
                result = MCIERR_UNRECOGNIZED_COMMAND;
                break;
        }
    }
    wyn::audio::Changed();
    Post(notices);
    return result;
}

BOOL WINAPI mciGetErrorStringA(MCIERROR error, LPSTR text, UINT cap) {
    if (!text || cap == 0) return FALSE;
    const char* s;
    switch (error) {
        case 0:
            s = "The specified command was carried out.";
            break;
        case MCIERR_INVALID_DEVICE_ID:
            s = "Invalid device ID.";
            break;
        case MCIERR_UNRECOGNIZED_COMMAND:
            s = "The driver cannot recognize the specified command.";
            break;
        case MCIERR_HARDWARE:
            s = "There is a problem with your media device.";
            break;
        case MCIERR_INVALID_DEVICE_NAME:
            s = "The specified device is not open or is not recognized.";
            break;
        case MCIERR_MISSING_PARAMETER:
            s = "The specified command requires a parameter.";
            break;
        case MCIERR_UNSUPPORTED_FUNCTION:
            s = "The device does not support this function.";
            break;
        case MCIERR_DEVICE_TYPE_REQUIRED:
            s = "The device type is required.";
            break;
        case MCIERR_FILE_NOT_FOUND:
            s = "Cannot find the specified file.";
            break;
        case MCIERR_DEVICE_NOT_READY:
            s = "The device is not ready. There may be no disc in the drive.";
            break;
        case MCIERR_OUTOFRANGE:
            s = "The specified parameter is out of range.";
            break;
        case MCIERR_INVALID_FILE:
            s = "The file is not of a form this device can play.";
            break;
        default:
            s = "Unknown error.";
            break;
    }
    std::snprintf(text, cap, "%s", s);
    return TRUE;
}

MCIDEVICEID WINAPI mciGetDeviceIDA(LPCSTR name) {
    const std::string want = Lower(name);
    std::lock_guard<std::recursive_mutex> g(wyn::audio::Lock());
    for (auto& [id, d] : M().devices)
        if (d->type == want) return id;
    return 0;
}
