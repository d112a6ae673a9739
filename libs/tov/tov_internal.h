// State and helpers shared by the parts of the sound library (core, waves, mixer, media).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <mutex>

#include "tov42.h"
#include "tov_gen.h"

namespace tov {

inline constexpr int kChannels = 20;

// The library's state, one per process.
struct Library {
    HWND parent = nullptr;
    HWND hidden = nullptr;
    int openMask = 0;
    int errorDisplay = 1;
    int heldWaves = 0;
    bool started = false;
};
Library& Lib();

// Held by every export and by the hidden window's procedure: hosts call the library from
// other threads (script tasks) while their message thread mixes.
std::unique_lock<std::recursive_mutex> Guard();

// ---- messages ----
enum MessageId { kMsgFile = 0, kMsgFormat = 1, kMsgMemory = 2 };
// The text of a message in the library's language.
const char* MessageText(MessageId id);
// A box owned by the parent window (or none), answered headless like every box.
int Box(HWND owner, const char* text, const char* caption, UINT type);

// ---- the mixer (wave output through the waveOut device) ----
bool MixerOpen();         // tables, buffers, channel defaults, then the output
void MixerClose();        // stop all, close the output, release everything
bool MixerIsOpen();       // the output device is open
void MixerOutputClose();  // closes the output device only; the channels stay
int MixerOutputReopen();  // reopens it when the mixer was started: 1, or 0
void MixerOnDone(WPARAM device, LPARAM header);  // MM_WOM_DONE
void MixerForgetWave(const tagTOVWAVE* wave);    // stop the channels that play it

int MixCount();  // the number of mixed channels

// ---- waves ----
void WavesReset();  // the Ogg extension back to "rvg"

// A wave file as read, before it becomes a record: its samples in a block of the allocation
// table, 8-bit unless `keep16` was asked for.
struct LoadedWave {
    int rate = 0, bit = 0, mode = 0;
    uint32_t size = 0;
    uint8_t* data = nullptr;
    bool segmented = false;
};
bool LoadWave(const char* path, LoadedWave* out, bool keep16);

// ---- the DirectSound output: each wave a sound buffer of its own ----
bool DsOpen(int bits);  // 8 or 16 bits in the primary buffer
void DsClose();
bool DsMode();  // the wave exports go to the twins below
int DsWaveRead(const char* path, tagTOVWAVE* wave);
int DsAppendWaveRead(const char* path, tagTOVWAVE* wave);
tagTOVWAVE* DsAppendWave(tagTOVWAVE* dst, tagTOVWAVE* src);
int DsAppendSpace(tagTOVWAVE* wave, int amount);
int DsLockWave(tagTOVWAVE* wave, void** data, DWORD* size);
int DsUnlockWave(tagTOVWAVE* wave, void* data, DWORD size);
int DsWaveFree(tagTOVWAVE* wave);
int DsPlay(int channel, tagTOVWAVE* wave, int count, int offset);
int DsStop(int channel);
int DsPause(int channel, int flag);
int DsStatus(int channel);
int DsPlayCount(int channel, int count);
int DsSetMasterVol(int volume);
int DsGetMasterVol();
int DsSetLocalVol(int channel, int volume);
int DsGetLocalVol(int channel);
int DsSetPitch(int channel, int hz, bool percent);

// ---- media devices ----
enum MediaKind { kMediaCd, kMediaMidi, kMediaVideo, kMediaKinds };
// One kind's device and what a replay needs.
struct MediaState {
    MCIDEVICEID device = 0;  // 0: closed
    int count = 0;           // passes left; 0 not playing; negative endless
    bool paused = false;
    bool started = false;     // opened at start
    DWORD_PTR playFlags = 0;  // MCI_FROM / MCI_TO of the play, for replays and resumes
    DWORD from = 0, to = 0;
    char element[MAX_PATH] = {};  // the file (video, MIDI) or the drive (CD audio, "D:")
    HWND window = nullptr;        // video
    RECT rect{};
};
MediaState& Media(MediaKind kind);
void MediaStopKind(MediaKind kind);  // MCI_STOP and MCI_CLOSE when open; count and device 0
void MediaVideoEnded();              // a video's natural end: the waves come back
bool MediaOpen(MediaKind kind);
void MediaClose(MediaKind kind);
void MediaPause(bool pause);  // CD audio and MIDI where they play, then video
bool MediaVideoPlaying();
void MediaNotify(WPARAM code, LPARAM device);  // MM_MCINOTIFY
// Every media command goes through here: 1, or 0 after the device's error text in a box.
int TOV_MCI(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* param);

}  // namespace tov
