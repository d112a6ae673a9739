// Video, CD audio and MIDI: one device of each kind at a time, played a number of times
// through the media commands. The hidden window's notices count the passes down (media.cpp).
#include <cstring>

#include "tov_internal.h"

namespace tov {
namespace {

DWORD_PTR Hidden() { return reinterpret_cast<DWORD_PTR>(Lib().hidden); }

// Opens a file on the device type; 0 after the box when it cannot.
MCIDEVICEID OpenFile(const char* type, const char* file) {
    MCI_OPEN_PARMSA open{};
    open.dwCallback = Hidden();
    open.lpstrDeviceType = type;
    open.lpstrElementName = file;
    if (!TOV_MCI(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE, &open)) return 0;
    return open.wDeviceID;
}

DWORD StatusOf(MCIDEVICEID device, DWORD item, bool* ok) {
    MCI_STATUS_PARMS st{};
    st.dwCallback = Hidden();
    st.dwItem = item;
    *ok = TOV_MCI(device, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &st) != 0;
    return DWORD(st.dwReturn);
}

// Plays the kind's stored stretch with a notice at its end.
bool PlayStored(MediaState& m) {
    MCI_PLAY_PARMS p{};
    p.dwCallback = Hidden();
    p.dwFrom = m.from;
    p.dwTo = m.to;
    return TOV_MCI(m.device, MCI_PLAY, MCI_NOTIFY | m.playFlags, &p) != 0;
}

int Pause(MediaKind kind, int flag) {
    MediaState& m = Media(kind);
    if (!m.device || m.count == 0) return 0;
    if (flag) {
        MCI_GENERIC_PARMS p{};
        p.dwCallback = Hidden();
        if (!TOV_MCI(m.device, MCI_PAUSE, MCI_WAIT, &p)) return 0;
        m.paused = true;
        return 1;
    }
    // Resuming plays from where it stands to the stored end.
    bool ok;
    const DWORD pos = StatusOf(m.device, MCI_STATUS_POSITION, &ok);
    MCI_PLAY_PARMS p{};
    p.dwCallback = Hidden();
    p.dwFrom = pos;
    p.dwTo = m.to;
    if (!ok || !TOV_MCI(m.device, MCI_PLAY, MCI_NOTIFY | MCI_FROM | (m.playFlags & MCI_TO), &p)) {
        MediaStopKind(kind);
        if (kind == kMediaVideo) MediaVideoEnded();
        return 0;
    }
    m.paused = false;
    return 1;
}

// Invalidates the video's rectangle so that its window repaints it, and gives the waves
// their output back. The reopen's result, or 1 when the mixer was never started.
int VideoCleanup(HWND window, const RECT& rect) {
    if (window && IsWindow(window)) {
        InvalidateRect(window, &rect, TRUE);
        UpdateWindow(window);
    }
    if (!(Lib().openMask & TOV_DEVICE_WAVE)) return 1;
    return MixerOutputReopen();
}

}  // namespace

void MediaVideoEnded() {
    MediaState& m = Media(kMediaVideo);
    VideoCleanup(m.window, m.rect);
}

}  // namespace tov

using namespace tov;

// ---- video ----

TOVDLL_API int WINAPI TOV_AviStop(void) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaVideo);
    if (m.count == 0 || !m.device) return 0;
    MediaStopKind(kMediaVideo);
    return VideoCleanup(m.window, m.rect);
}

TOVDLL_API int WINAPI TOV_AviPlay(HWND window, const RECT* rect, LPCSTR file, int count) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaVideo);
    TOV_AviStop();
    MediaStopKind(kMediaVideo);
    if (!m.started || !file) return 0;
    m.window = window;
    m.rect = rect ? *rect : RECT{};
    lstrcpynA(m.element, file, sizeof m.element);
    m.device = OpenFile("avivideo", m.element);
    if (!m.device) return 0;
    MCI_ANIM_WINDOW_PARMSA w{};
    w.dwCallback = Hidden();
    w.hWnd = window;
    bool ok = TOV_MCI(m.device, MCI_WINDOW, MCI_WAIT | MCI_ANIM_WINDOW_HWND, &w) != 0;
    DWORD length = 0;
    if (ok) length = StatusOf(m.device, MCI_STATUS_LENGTH, &ok);
    if (ok) {
        MCI_ANIM_RECT_PARMS put{};
        put.dwCallback = Hidden();
        put.rc.left = m.rect.left;
        put.rc.top = m.rect.top;
        put.rc.right = m.rect.right - m.rect.left;  // the command takes a width and a height
        put.rc.bottom = m.rect.bottom - m.rect.top;
        ok = TOV_MCI(m.device, MCI_PUT, MCI_WAIT | MCI_ANIM_RECT | MCI_ANIM_PUT_DESTINATION,
                     &put) != 0;
    }
    bool mixerClosed = false;
    if (ok) {
        // The movie's sound has the output to itself.
        if (MixerIsOpen()) {
            MixerOutputClose();
            mixerClosed = true;
        }
        m.playFlags = MCI_FROM | MCI_TO;
        m.from = 0;
        m.to = length;
        ok = PlayStored(m);
    }
    if (!ok) {
        MediaStopKind(kMediaVideo);
        if (mixerClosed) MixerOutputReopen();
        return 0;
    }
    m.count = count;
    return 1;
}

TOVDLL_API int WINAPI TOV_AviPause(int flag) {
    const auto guard = Guard();
    return Pause(kMediaVideo, flag);
}
TOVDLL_API int WINAPI TOV_AviStatus(void) {
    const auto guard = Guard();
    return Media(kMediaVideo).count;
}

// ---- CD audio ----

TOVDLL_API int WINAPI TOV_CddaStop(void) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaCd);
    if (!m.device) return 0;
    MediaStopKind(kMediaCd);
    return 1;
}

TOVDLL_API int WINAPI TOV_CddaPlay(int track, int count) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaCd);
    TOV_CddaStop();
    if (!m.started) return 0;
    MCI_OPEN_PARMSA open{};
    open.dwCallback = Hidden();
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(uintptr_t(MCI_DEVTYPE_CD_AUDIO));
    // The older generation opens the default CD device, without a drive of its choice.
    open.lpstrElementName = gen::kCdDriveChoice ? m.element : nullptr;
    const DWORD_PTR element = gen::kCdDriveChoice ? MCI_OPEN_ELEMENT : 0;
    if (TOV_MCI(0, MCI_OPEN,
                MCI_WAIT | element | MCI_OPEN_SHAREABLE | MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID,
                &open)) {
        m.device = open.wDeviceID;
    } else {
        m.device = mciGetDeviceIDA("cdaudio");
        if (!m.device) return 0;
    }
    MCI_SET_PARMS set{};
    set.dwCallback = Hidden();
    TOV_MCI(m.device, MCI_SET, MCI_WAIT | MCI_SET_DOOR_CLOSED, &set);
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    bool ok = TOV_MCI(m.device, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, &set) != 0;
    DWORD tracks = 0;
    if (ok) tracks = StatusOf(m.device, MCI_STATUS_NUMBER_OF_TRACKS, &ok);
    if (ok) {
        m.from = MCI_MAKE_TMSF(track, 0, 0, 0);
        if (DWORD(track) < tracks) {
            m.to = MCI_MAKE_TMSF(track + 1, 0, 0, 0);
            m.playFlags = MCI_FROM | MCI_TO;
        } else {
            m.to = 0;
            m.playFlags = MCI_FROM;
        }
        ok = PlayStored(m);
    }
    if (!ok) {
        MediaStopKind(kMediaCd);
        return 0;
    }
    m.count = count;
    return 1;
}

TOVDLL_API int WINAPI TOV_CddaPause(int flag) {
    const auto guard = Guard();
    return Pause(kMediaCd, flag);
}
TOVDLL_API int WINAPI TOV_CddaStatus(void) {
    const auto guard = Guard();
    return Media(kMediaCd).count;
}

TOVDLL_API int WINAPI TOV_CddaTray(int flag) {
    const auto guard = Guard();
    TOV_CddaStop();
    MCI_OPEN_PARMSA open{};
    open.dwCallback = Hidden();
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(uintptr_t(MCI_DEVTYPE_CD_AUDIO));
    if (!TOV_MCI(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_SHAREABLE | MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID,
                 &open))
        return 0;
    MCI_SET_PARMS set{};
    set.dwCallback = Hidden();
    const int r = TOV_MCI(open.wDeviceID, MCI_SET,
                          MCI_WAIT | (flag ? MCI_SET_DOOR_CLOSED : MCI_SET_DOOR_OPEN), &set);
    MCI_GENERIC_PARMS close{};
    TOV_MCI(open.wDeviceID, MCI_CLOSE, MCI_WAIT, &close);
    return r;
}

TOVDLL_API int WINAPI TOV_CddaGetDrive(LPSTR buffer) {
    const auto guard = Guard();
    int n = 0;
    char root[] = "A:";
    for (char d = 'A'; d <= 'Z'; ++d) {
        root[0] = d;
        if (GetDriveTypeA(root) != DRIVE_CDROM) continue;
        if (buffer) {
            buffer[2 * n] = d;
            buffer[2 * n + 1] = ':';
        }
        ++n;
    }
    if (buffer) buffer[2 * n] = 0;
    return n;
}

TOVDLL_API int WINAPI TOV_CddaSetDrive(LPCSTR text) {
    const auto guard = Guard();
    if (!text) return 0;
    MediaState& m = Media(kMediaCd);
    if (std::strlen(text) <= 3 && text[0] && text[1] == ':') {
        m.element[0] = text[0];
        m.element[1] = ':';
        m.element[2] = 0;
        return 1;
    }
    char drives[64];
    const int n = TOV_CddaGetDrive(drives);
    for (int i = 0; i < n; ++i) {
        char path[MAX_PATH];
        wsprintfA(path, "%c:%s", drives[2 * i], text);
        HANDLE h =
            CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        CloseHandle(h);
        m.element[0] = drives[2 * i];
        m.element[1] = ':';
        m.element[2] = 0;
        return 1;
    }
    return 0;
}

TOVDLL_API int WINAPI TOV_CddaGetTime(BYTE* track, BYTE* minute, BYTE* second, BYTE* frame) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaCd);
    if (!m.device) return 0;
    bool ok;
    const DWORD pos = StatusOf(m.device, MCI_STATUS_POSITION, &ok);
    if (!ok) {
        MediaStopKind(kMediaCd);
        return 0;
    }
    if (track) *track = MCI_TMSF_TRACK(pos);
    if (minute) *minute = MCI_TMSF_MINUTE(pos);
    if (second) *second = MCI_TMSF_SECOND(pos);
    if (frame) *frame = MCI_TMSF_FRAME(pos);
    return 1;
}

// ---- MIDI ----

TOVDLL_API int WINAPI TOV_MidiStop(void) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaMidi);
    if (!m.started || !m.device) return 0;
    MediaStopKind(kMediaMidi);
    return 1;
}

TOVDLL_API int WINAPI TOV_MidiPlay(LPCSTR file, int count) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaMidi);
    if (!m.started) return 0;
    TOV_MidiStop();
    if (!file) return 0;
    lstrcpynA(m.element, file, sizeof m.element);
    m.device = OpenFile("SEQUENCER", m.element);
    if (!m.device) return 0;
    bool ok;
    const DWORD length = StatusOf(m.device, MCI_STATUS_LENGTH, &ok);
    m.playFlags = MCI_FROM | MCI_TO;
    m.from = 0;
    m.to = length;
    if (!ok || !PlayStored(m)) {
        MediaStopKind(kMediaMidi);
        return 0;
    }
    m.count = count;
    return 1;
}

TOVDLL_API int WINAPI TOV_MidiPause(int flag) {
    const auto guard = Guard();
    if (!Media(kMediaMidi).started) return 0;
    return Pause(kMediaMidi, flag);
}

TOVDLL_API int WINAPI TOV_MidiStatus(void) {
    const auto guard = Guard();
    if (!Media(kMediaMidi).started) return 0;
    return Media(kMediaMidi).count;
}

TOVDLL_API int WINAPI TOV_MidiGetTime(BYTE* hours, BYTE* minutes, BYTE* seconds,
                                      WORD* milliseconds) {
    const auto guard = Guard();
    MediaState& m = Media(kMediaMidi);
    if (!m.started || !m.device) return 0;
    bool ok;
    const DWORD format = StatusOf(m.device, MCI_STATUS_TIME_FORMAT, &ok);
    MCI_SET_PARMS set{};
    set.dwCallback = Hidden();
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    if (ok) ok = TOV_MCI(m.device, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, &set) != 0;
    DWORD p = 0;
    if (ok) p = StatusOf(m.device, MCI_STATUS_POSITION, &ok);
    if (ok) {
        set.dwTimeFormat = format;
        ok = TOV_MCI(m.device, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, &set) != 0;
    }
    if (!ok) {
        MediaStopKind(kMediaMidi);
        return 0;
    }
    if (hours) *hours = BYTE(p / 3600000);
    if (minutes) *minutes = BYTE(p / 60000 % 60);
    if (seconds) *seconds = BYTE(p / 1000 % 60);
    if (milliseconds) *milliseconds = WORD(p % 1000);
    return 1;
}
