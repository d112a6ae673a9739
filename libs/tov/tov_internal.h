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

struct WaveOutput;

// The library's state, one per process.
struct Library {
    HWND parent = nullptr;
    HWND hidden = nullptr;
    int openMask = 0;
    int errorDisplay = 1;
    int heldWaves = 0;
    bool started = false;
    const WaveOutput* output = nullptr;  // null: the mixer's
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

// ---- the wave output: the mixer or DirectSound ----
// The operations that differ between the two outputs. Every wave export is one call into the
// table of the output the start opened (Output()); the shared argument checks are made by the
// export before the call.
struct WaveOutput {
    // Waves (the record is not null; for the appends and the lock it holds data).
    int (*read)(const char* path, tagTOVWAVE* wave);
    int (*appendRead)(const char* path, tagTOVWAVE* wave);
    tagTOVWAVE* (*appendWave)(tagTOVWAVE* dst, tagTOVWAVE* src);  // src holds data, dst != src
    int (*appendSilence)(tagTOVWAVE* wave, uint32_t bytes);
    bool (*lock)(tagTOVWAVE* wave, void** data, DWORD* size);
    int (*unlock)(tagTOVWAVE* wave, void* data, DWORD size);
    int (*free)(tagTOVWAVE* wave);
    int (*pitchWave)(tagTOVWAVE* wave, double ratio);
    // Channels.
    int (*play)(int channel, tagTOVWAVE* wave, int count, int offset);
    int (*playJust)(int channel, tagTOVWAVE* wave, int count, int offset);
    int (*stop)(int channel);
    int (*pause)(int channel, int flag);
    int (*status)(int channel);
    int (*skip)(int channel, int segment);
    int (*playCount)(int channel, int count);
    int (*setMasterVol)(int volume);
    int (*getMasterVol)();
    int (*setLocalVol)(int channel, int volume);
    int (*getLocalVol)(int channel);
    // To `target` in `steps` steps of ms / steps each (0 steps: one per volume step).
    int (*fade)(int channel, int target, int ms, int steps);
    int (*setPitch)(int channel, int value, bool percent);  // a percentage, else Hz
    // The output itself.
    int (*setBufferInfo)(int count, int bytes, int prequeued);
    void (*getBufferInfo)(int* count, int* bytes, int* prequeued);
    int (*charge)();
    void (*close)();
};
extern const WaveOutput kMixerOutput;
extern const WaveOutput kDsOutput;
// The output the wave exports act on: the one the last start opened; the mixer's before any
// start and after the end, so that waves read then are in the mixer's form.
const WaveOutput& Output();

// ---- the mixer (wave output through the waveOut device) ----
bool MixerOpen();         // tables, buffers, channel defaults, then the output
bool MixerIsOpen();       // the output device is open
void MixerOutputClose();  // closes the output device only; the channels stay
int MixerOutputReopen();  // reopens it when the mixer was started: 1, or 0
void MixerOnDone(WPARAM device, LPARAM header);  // MM_WOM_DONE
void MixerForgetWave(const tagTOVWAVE* wave);    // stop the channels that play it

int MixCount();  // the number of mixed channels

// The mixer's waves: samples in a block of the allocation table (wavefile.cpp).
int MixerWaveRead(const char* path, tagTOVWAVE* wave);
int MixerAppendWaveRead(const char* path, tagTOVWAVE* wave);
tagTOVWAVE* MixerAppendWave(tagTOVWAVE* dst, tagTOVWAVE* src);
int MixerAppendSilence(tagTOVWAVE* wave, uint32_t bytes);
bool MixerLockWave(tagTOVWAVE* wave, void** data, DWORD* size);
int MixerUnlockWave(tagTOVWAVE* wave, void* data, DWORD size);
int MixerWaveFree(tagTOVWAVE* wave);

// ---- waves ----
void WavesReset();  // the Ogg extension back to "rvg"

// The form a file's samples are read into: the mixer's (8 bits, at a rate it plays, segments
// marked) or a sound buffer's (8 or 16 bits at the file's own rate, 44100 Hz halved).
enum class WaveForm { kMixer, kBuffer };

// A wave file as read, before it becomes a record: its samples in a block of the allocation
// table.
struct LoadedWave {
    int rate = 0, bit = 0, mode = 0;
    uint32_t size = 0;
    uint8_t* data = nullptr;
    bool segmented = false;
};
bool LoadWave(const char* path, LoadedWave* out, WaveForm form);

// ---- the DirectSound output: each wave a sound buffer of its own ----
bool DsOpen(int bits);  // 8 or 16 bits in the primary buffer

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
