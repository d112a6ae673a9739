// tov42: the sound library. Twenty mixed 8-bit wave channels played through the wave output
// with volumes, fades and pitch; packed, segmented and Ogg waves; the media devices (CD
// audio, MIDI, video). The library has no thread of its own: a hidden window receives the
// device messages and the host keeps calling TOV_Task (or dispatching its thread's messages)
// so that the mix keeps flowing. Results are 1 (or a handle) for success and 0 or -1 for
// failure; failures the user must see are shown in message boxes captioned with the
// library's name. The older generation (tov33) is built from the same sources and offers a
// subset of these names.
#pragma once

#include <windows.h>

#ifdef TOV_BUILDING_LIBRARY
#define TOVDLL_API extern "C" __attribute__((visibility("default")))
#else
#define TOVDLL_API extern "C"
#endif

// A wave record, owned by the caller and filled by the read functions. Samples are unsigned
// 8-bit (128 = silence), stereo interleaved left, right. A record whose `data` is null is
// empty. In memory `data` is pointer-sized.
typedef struct tagTOVWAVE {
    LONG rate;            // samples per second: 22050, 11025 or 5512 in the mixer
    LONG bit;             // bits per sample: 8 in the mixer
    LONG mode;            // channels: 1 mono, 2 stereo; 3 marks a segmented (mono) wave
    LONG size;            // bytes of sample data
    LONG blocktop[9];     // segment start offsets (segmented waves)
    LONG blockbottom[9];  // offset of each segment's end marker, or `size` for the last
    LONG blocksize[9];    // segment lengths; 0 = no such segment; the ninth is always 0
    BYTE* data;           // the samples
} tagTOVWAVE;

// Device bits of TOV_Start2 and of the open mask.
#define TOV_DEVICE_CDDA 0x01
#define TOV_DEVICE_MIDI 0x02
#define TOV_DEVICE_WAVE 0x04  // the 8-bit wave mixer through the wave output
#define TOV_DEVICE_AVI 0x08
#define TOV_DEVICE_DSOUND8 0x10
#define TOV_DEVICE_DSOUND16 0x20

// ---- start and end ----
// Creates the hidden window and opens CD audio, MIDI, the wave mixer and video in that
// order, stopping with 0 at the first that fails. 1 when all opened.
TOVDLL_API int WINAPI TOV_Start(HWND parent);
// Opens the devices named by `devices` (one wave output: 0x10 wins over 0x20, either over
// 0x04); the bits of devices that failed are set in *failed. `errorDisplay` 1 shows the
// wave-output error boxes and the leak report. 1 when no requested device failed.
TOVDLL_API int WINAPI TOV_Start2(HWND parent, int devices, int* failed, int errorDisplay);
// Closes every device, destroys the hidden window and reports waves still held. Safe to call
// again and before any start.
TOVDLL_API int WINAPI TOV_End(void);
// Closes what the open mask names; the leak report only with error display on.
TOVDLL_API int WINAPI TOV_End2(void);
// Dispatches every message waiting for the hidden window (buffer done, media notices).
// Does nothing without a hidden window. Returns 0.
TOVDLL_API int WINAPI TOV_Task(void);
// The host's activation: non-zero low word resumes, zero pauses the media and the output.
TOVDLL_API int WINAPI TOV_Activate(int flag);

// ---- the allocation table ----
// A block of `size` bytes recorded under `tag` (at most 31 characters), or null after the
// out-of-memory box.
TOVDLL_API void* WINAPI TOV_Alloc2(DWORD size, LPCSTR tag);
// 0 when the block was recorded and is now released; -1 (nothing released) otherwise.
TOVDLL_API int WINAPI TOV_Free(void* block);

// ---- waves ----
// Reads a wave file (RIFF WAVE, packed, segmented, or Ogg by its extension) into the record,
// converted to 8 bits; 44100 Hz is halved and any other rate without a mixing routine (all but
// 22050, 11025 and mono 5512 Hz) is converted to 22050 Hz, so it plays at its own length and
// pitch. The system's own files are read by their fixed 44-byte header; other tools' files
// are walked to their "fmt " (PCM) and "data" chunks. 1, or 0 after the library's box (a
// missing file; a format it cannot take: not PCM, not 1 or 2 channels of 8 or 16 bits, a rate
// outside 1000..400000 Hz, or more data claimed than the file holds; no box when the Ogg
// decoder fails). In DirectSound mode: as TOV_WaveRead16.
TOVDLL_API int WINAPI TOV_WaveRead(LPCSTR path, tagTOVWAVE* wave);
// Reads a file and appends its samples to the record's data (formats are not compared). In
// DirectSound mode: as TOV_AppendWaveRead16.
TOVDLL_API int WINAPI TOV_AppendWaveRead(LPCSTR path, tagTOVWAVE* wave);
// DirectSound mode's reader: as TOV_WaveRead, but 16-bit samples stay 16-bit, the rate stays
// the file's (44100 Hz halved), no segments are parsed, and the record's `data` is the wave's
// sound buffer. 0 when DirectSound is not the output (no buffer can be made).
TOVDLL_API int WINAPI TOV_WaveRead16(LPCSTR path, tagTOVWAVE* wave);
// Appends a file read as TOV_WaveRead16 to a record that holds a sound buffer of the same bits
// and channels (a new buffer of both). 1, or 0 with the record unchanged.
TOVDLL_API int WINAPI TOV_AppendWaveRead16(LPCSTR path, tagTOVWAVE* wave);
// Appends the source's samples to the destination's and frees the source. Returns dst.
TOVDLL_API tagTOVWAVE* WINAPI TOV_AppendWave(tagTOVWAVE* dst, tagTOVWAVE* src);
// Appends `amount` bytes of silence (an amount of exactly 1: one millisecond). 0 when the
// record holds no data or the amount is negative. The third argument is not read.
TOVDLL_API int WINAPI TOV_AppendSpace(tagTOVWAVE* wave, int amount, int unused);
// The record's sample pointer and byte size; 0 with both 0 when it holds no data.
TOVDLL_API int WINAPI TOV_LockWave(tagTOVWAVE* wave, void** data, DWORD* size);
TOVDLL_API int WINAPI TOV_UnlockWave(tagTOVWAVE* wave, void* data, DWORD size);
// Stops the channels that play the record, releases its data and clears it.
TOVDLL_API int WINAPI TOV_WaveFree(tagTOVWAVE* wave);
// The extension (without the dot) that selects the Ogg decoder; "rvg" at start.
TOVDLL_API int WINAPI TOV_OggFileExt(LPCSTR ext);
// Packs n samples; returns the packed length in bytes. dst must hold n + 1 bytes.
TOVDLL_API int WINAPI TOV_WavePack(BYTE* dst, const BYTE* src, int n);
// Unpacks until n bytes are written; the source must hold a complete stream.
TOVDLL_API int WINAPI TOV_WaveUnPack(BYTE* dst, int n, const BYTE* src);

// ---- the mixer's channels (0..19) ----
// Plays the wave on the channel (a negative channel -n: the first free channel from n on;
// others modulo 20) `count` times (-1: until stopped) from byte `offset`. The channel, or -1.
TOVDLL_API int WINAPI TOV_WavePlay(int channel, tagTOVWAVE* wave, int count, int offset);
// As TOV_WavePlay, but the queued output is returned at once so the sound starts now.
TOVDLL_API int WINAPI TOV_WavePlayJust(int channel, tagTOVWAVE* wave, int count, int offset);
// Stops the channel; -1 stops every mixed channel and the master fade.
TOVDLL_API int WINAPI TOV_WaveStop(int channel);
// Pauses (flag 1) or resumes (0) a channel; a negative channel pauses or restarts the output.
TOVDLL_API int WINAPI TOV_WavePause(int channel, int flag);
// The channel's remaining count (0 idle, negative endless); -1 the largest count, at least 0.
TOVDLL_API int WINAPI TOV_WaveStatus(int channel);
// Moves a segmented wave's channel to `segment` (0..8). 1, or 0.
TOVDLL_API int WINAPI TOV_WaveSkip(int channel, int segment);
// Sets the channel's count; returns the old one (0, nothing set, when the channel is free).
TOVDLL_API int WINAPI TOV_WavePlayCount(int channel, int count);
// Sets the number of mixed channels (0..20); returns the old number.
TOVDLL_API int WINAPI TOV_WaveMixCount(int n);
TOVDLL_API int WINAPI TOV_WaveSetMasterVol(int volume);
TOVDLL_API int WINAPI TOV_WaveGetMasterVol(void);
// Sets a channel's volume (0..15, held to that range); -1 sets all twenty.
TOVDLL_API int WINAPI TOV_WaveSetLocalVol(int channel, int volume);
TOVDLL_API int WINAPI TOV_WaveGetLocalVol(int channel);
// Fades a channel (-1: the master) to 15, to 0, or to `target` over `ms`.
TOVDLL_API int WINAPI TOV_WaveFadeIn(int channel, int ms);
TOVDLL_API int WINAPI TOV_WaveFadeOut(int channel, int ms);
TOVDLL_API int WINAPI TOV_WaveFade(int channel, int target, int ms);
// Pitch of a playing 22050 Hz channel: percent of its speed, or a rate in Hz.
TOVDLL_API int WINAPI TOV_WaveSetPitch(int channel, int percent);
TOVDLL_API int WINAPI TOV_WaveSetPitchDirect(int channel, int hz);
// Resamples a 22050 Hz stereo wave in place by `ratio` (> 0). 1, or 0.
TOVDLL_API int WINAPI TOV_WavePitch(tagTOVWAVE* wave, double ratio);
// Reopens the output with count (2..16) buffers of `bytes` (512..65536, a multiple of 8),
// `prequeued` (1..count) of them queued ahead. 1, or 0 (the old settings stay).
TOVDLL_API int WINAPI TOV_SetWaveBufferInfo(int count, int bytes, int prequeued);
TOVDLL_API int WINAPI TOV_GetWaveBufferInfo(int* count, int* bytes, int* prequeued);
// Mixes and queues a buffer for every buffer not yet queued; returns the buffer count.
TOVDLL_API int WINAPI TOV_WaveCharge(void);

// ---- video, CD audio and MIDI (one device of each kind; counts as for the channels) ----
// Plays an AVI file into `rect` (edges) of `window` `count` times (-1: until stopped). The
// wave mixer's output is closed while the video plays and reopened when it ends. 1, or 0
// after the media box.
TOVDLL_API int WINAPI TOV_AviPlay(HWND window, const RECT* rect, LPCSTR file, int count);
// Stops the video and repaints its rectangle; 0 when none plays, else the mixer's reopening.
TOVDLL_API int WINAPI TOV_AviStop(void);
// flag != 0 pauses, 0 resumes from where it stands. 0 when no video plays.
TOVDLL_API int WINAPI TOV_AviPause(int flag);
TOVDLL_API int WINAPI TOV_AviStatus(void);
// Plays a track of the chosen CD drive to the start of the next one (the last: to the end).
TOVDLL_API int WINAPI TOV_CddaPlay(int track, int count);
TOVDLL_API int WINAPI TOV_CddaStop(void);
TOVDLL_API int WINAPI TOV_CddaPause(int flag);
TOVDLL_API int WINAPI TOV_CddaStatus(void);
// Closes (flag != 0) or opens the tray of the default CD device.
TOVDLL_API int WINAPI TOV_CddaTray(int flag);
// Writes the CD drives ("D:E:", zero-ended) and returns how many there are.
TOVDLL_API int WINAPI TOV_CddaGetDrive(LPSTR buffer);
// "Q:" or "Q:\" chooses that drive; any other text is a file looked for on each CD drive.
TOVDLL_API int WINAPI TOV_CddaSetDrive(LPCSTR text);
// The CD position as track, minute, second, frame. 1, or 0.
TOVDLL_API int WINAPI TOV_CddaGetTime(BYTE* track, BYTE* minute, BYTE* second, BYTE* frame);
// As for video, for a standard MIDI file; nothing (0) unless MIDI was opened at start.
TOVDLL_API int WINAPI TOV_MidiPlay(LPCSTR file, int count);
TOVDLL_API int WINAPI TOV_MidiStop(void);
TOVDLL_API int WINAPI TOV_MidiPause(int flag);
TOVDLL_API int WINAPI TOV_MidiStatus(void);
// The MIDI position as hours, minutes, seconds, milliseconds. 1, or 0.
TOVDLL_API int WINAPI TOV_MidiGetTime(BYTE* hours, BYTE* minutes, BYTE* seconds,
                                      WORD* milliseconds);
