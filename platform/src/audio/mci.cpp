// The media control interface: CD audio, MIDI sequencer and video devices open, answer and
// close, and accept play commands without playing anything yet. No notice is ever posted,
// so a media play that repeats on its "finished" notice stays quietly "playing".
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

struct MediaDevice {
    std::string type;   // "cdaudio", "sequencer", "avivideo", ... (lower case)
    DWORD timeFormat = MCI_FORMAT_MILLISECONDS;
    DWORD mode = MCI_MODE_STOP;
};

struct Mci {
    std::mutex lock;
    std::map<MCIDEVICEID, MediaDevice> devices;
    MCIDEVICEID next = 1;
};

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
        case MCI_DEVTYPE_CD_AUDIO: return "cdaudio";
        case MCI_DEVTYPE_SEQUENCER: return "sequencer";
        case MCI_DEVTYPE_DIGITAL_VIDEO: return "digitalvideo";
        case MCI_DEVTYPE_ANIMATION: return "animation";
        case MCI_DEVTYPE_WAVEFORM_AUDIO: return "waveaudio";
        default: return "";
        }
    }
    if (flags & MCI_OPEN_TYPE) return Lower(p->lpstrDeviceType);
    return "";
}

bool KnownType(const std::string& t) {
    return t == "cdaudio" || t == "sequencer" || t == "avivideo" || t == "digitalvideo" ||
           t == "animation" || t == "waveaudio" || t == "mpegvideo";
}

}  // namespace

MCIERROR WINAPI mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags,
                                DWORD_PTR param) {
    Mci& m = M();
    std::lock_guard<std::mutex> g(m.lock);
    if (message == MCI_OPEN) {
        auto* p = reinterpret_cast<MCI_OPEN_PARMSA*>(param);
        if (!p) return MCIERR_MISSING_PARAMETER;
        std::string type = TypeName(flags, p);
        if (type.empty()) return MCIERR_DEVICE_TYPE_REQUIRED;
        if (!KnownType(type)) return MCIERR_INVALID_DEVICE_NAME;
        MediaDevice d;
        d.type = type;
        p->wDeviceID = m.next++;
        m.devices[p->wDeviceID] = d;
        return 0;
    }
    auto it = m.devices.find(device);
    if (it == m.devices.end()) return MCIERR_INVALID_DEVICE_ID;
    MediaDevice& d = it->second;
    switch (message) {
    case MCI_CLOSE:
        m.devices.erase(it);
        return 0;
    case MCI_PLAY:
        d.mode = MCI_MODE_PLAY;
        return 0;
    case MCI_STOP:
        d.mode = MCI_MODE_STOP;
        return 0;
    case MCI_PAUSE:
        d.mode = MCI_MODE_PAUSE;
        return 0;
    case MCI_RESUME:
        d.mode = MCI_MODE_PLAY;
        return 0;
    case MCI_SEEK:
    case MCI_WINDOW:
    case MCI_PUT:
        return 0;
    case MCI_SET: {
        auto* p = reinterpret_cast<MCI_SET_PARMS*>(param);
        if ((flags & MCI_SET_TIME_FORMAT) && p) d.timeFormat = p->dwTimeFormat;
        return 0;
    }
    case MCI_STATUS: {
        auto* p = reinterpret_cast<MCI_STATUS_PARMS*>(param);
        if (!p || !(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
        switch (p->dwItem) {
        case MCI_STATUS_LENGTH:
        case MCI_STATUS_POSITION: p->dwReturn = 0; return 0;
        case MCI_STATUS_NUMBER_OF_TRACKS: p->dwReturn = 1; return 0;
        case MCI_STATUS_CURRENT_TRACK: p->dwReturn = 1; return 0;
        case MCI_STATUS_MODE: p->dwReturn = d.mode; return 0;
        case MCI_STATUS_TIME_FORMAT: p->dwReturn = d.timeFormat; return 0;
        case MCI_STATUS_MEDIA_PRESENT:
        case MCI_STATUS_READY: p->dwReturn = TRUE; return 0;
        default: return MCIERR_UNSUPPORTED_FUNCTION;
        }
    }
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
}

BOOL WINAPI mciGetErrorStringA(MCIERROR error, LPSTR text, UINT cap) {
    if (!text || cap == 0) return FALSE;
    const char* s;
    switch (error) {
    case 0: s = "The specified command was carried out."; break;
    case MCIERR_INVALID_DEVICE_ID: s = "Invalid device ID."; break;
    case MCIERR_UNRECOGNIZED_COMMAND: s = "The driver cannot recognize the specified command."; break;
    case MCIERR_INVALID_DEVICE_NAME: s = "The specified device is not open or is not recognized."; break;
    case MCIERR_MISSING_PARAMETER: s = "The specified command requires a parameter."; break;
    case MCIERR_UNSUPPORTED_FUNCTION: s = "The device does not support this function."; break;
    case MCIERR_DEVICE_TYPE_REQUIRED: s = "The device type is required."; break;
    case MCIERR_FILE_NOT_FOUND: s = "Cannot find the specified file."; break;
    default: s = "Unknown error."; break;
    }
    std::snprintf(text, cap, "%s", s);
    return TRUE;
}

MCIDEVICEID WINAPI mciGetDeviceIDA(LPCSTR name) {
    const std::string want = Lower(name);
    Mci& m = M();
    std::lock_guard<std::mutex> g(m.lock);
    for (auto& [id, d] : m.devices)
        if (d.type == want) return id;
    return 0;
}
