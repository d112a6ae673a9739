// The media devices (CD audio, MIDI sequencer, video) as far as the core needs them: their
// start, their end, pausing, the hidden window's notices, and the one routine every media
// command goes through. A device's start checks that it can be opened.
#include <cstring>
#include <initializer_list>

#include "tov_internal.h"

namespace tov {
namespace {

MediaState g_media[kMediaKinds];

// Opens the kind's device and closes it again: the start fails when it cannot be opened.
bool Probe(MediaKind kind) {
    MCI_OPEN_PARMSA open{};
    open.dwCallback = reinterpret_cast<DWORD_PTR>(Lib().hidden);
    DWORD_PTR flags = MCI_WAIT | MCI_OPEN_TYPE;
    switch (kind) {
        case kMediaCd:
            open.lpstrDeviceType = reinterpret_cast<LPCSTR>(uintptr_t(MCI_DEVTYPE_CD_AUDIO));
            flags |= MCI_OPEN_TYPE_ID | MCI_OPEN_SHAREABLE;
            break;
        case kMediaMidi:
            open.lpstrDeviceType = "SEQUENCER";
            break;
        default:
            open.lpstrDeviceType = "avivideo";
            break;
    }
    if (!TOV_MCI(0, MCI_OPEN, flags, &open)) return false;
    MCI_GENERIC_PARMS close{};
    return TOV_MCI(open.wDeviceID, MCI_CLOSE, MCI_WAIT, &close) != 0;
}

void Stop(MediaState& m) {
    if (!m.device) return;
    MCI_GENERIC_PARMS p{};
    TOV_MCI(m.device, MCI_STOP, MCI_WAIT, &p);
    TOV_MCI(m.device, MCI_CLOSE, MCI_WAIT, &p);
    m.device = 0;
    m.count = 0;
    m.paused = false;
}

}  // namespace

int TOV_MCI(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* param) {
    MCIERROR err = mciSendCommandA(device, message, flags, reinterpret_cast<DWORD_PTR>(param));
    if (err == 0) return 1;
    char text[256];
    if (!mciGetErrorStringA(err, text, sizeof text)) text[0] = 0;
    MessageBoxA(nullptr, text, gen::kMciCaption, MB_OK | MB_ICONWARNING);
    return 0;
}

MediaState& Media(MediaKind kind) { return g_media[kind]; }

void MediaStopKind(MediaKind kind) { Stop(g_media[kind]); }

bool MediaOpen(MediaKind kind) {
    g_media[kind] = MediaState{};
    if (kind == kMediaCd && gen::kCdDriveChoice) {
        // CD audio needs a CD drive: the first one found is the chosen drive.
        char drives[64];
        if (TOV_CddaGetDrive(drives) <= 0) return false;
        lstrcpynA(g_media[kind].element, drives, 3);
    }
    g_media[kind].started = Probe(kind);
    return g_media[kind].started;
}

void MediaClose(MediaKind kind) {
    Stop(g_media[kind]);
    g_media[kind].started = false;
}

void MediaPause(bool pause) {
    for (MediaKind k : {kMediaCd, kMediaMidi, kMediaVideo}) {
        MediaState& m = g_media[k];
        if (!m.device || m.count == 0 || m.paused == pause) continue;
        MCI_GENERIC_PARMS p{};
        p.dwCallback = reinterpret_cast<DWORD_PTR>(Lib().hidden);
        if (TOV_MCI(m.device, pause ? MCI_PAUSE : MCI_RESUME, 0, &p)) m.paused = pause;
    }
}

bool MediaVideoPlaying() { return g_media[kMediaVideo].device && g_media[kMediaVideo].count; }

void MediaNotify(WPARAM code, LPARAM device) {
    for (MediaKind k : {kMediaCd, kMediaMidi, kMediaVideo}) {
        MediaState& m = g_media[k];
        if (!m.device || LPARAM(m.device) != device) continue;
        if (code == MCI_NOTIFY_SUCCESSFUL) {
            int c = m.count;
            if (c > 0) --c;
            if (c == 0) {
                Stop(m);
                if (k == kMediaVideo) MediaVideoEnded();
            } else {
                // Play the same media again, over the same stretch, with the passes left.
                MCI_PLAY_PARMS p{};
                p.dwCallback = reinterpret_cast<DWORD_PTR>(Lib().hidden);
                p.dwFrom = m.from;
                p.dwTo = m.to;
                if (TOV_MCI(m.device, MCI_PLAY, MCI_NOTIFY | MCI_FROM | (m.playFlags & MCI_TO),
                            &p)) {
                    m.count = c;
                } else {
                    Stop(m);
                    if (k == kMediaVideo) MediaVideoEnded();
                }
            }
        } else if (code == MCI_NOTIFY_FAILURE) {
            // The device is closed here: forgetting it would leave it open for good.
            Stop(m);
            if (k == kMediaVideo) MediaVideoEnded();
        }
        return;
    }
}

}  // namespace tov
