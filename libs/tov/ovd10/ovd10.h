// ovd10: the Ogg decoder the sound library calls. One function: Ogg Vorbis bytes in, a
// 44-byte WAV header and 16-bit signed little-endian PCM out, in movable global memory.
#pragma once

#include <windows.h>

#ifdef OVD_BUILDING_LIBRARY
#define OVD_API extern "C" __attribute__((visibility("default")))
#else
#define OVD_API extern "C"
#endif

// What the decoder learned of the stream (16 bytes, filled on success).
typedef struct tagRVG_HED_DATA {
    DWORD decodeSize;  // bytes of PCM behind the header
    LONG samplingRate;
    LONG bitRate;  // nominal bits per second of the stream
    LONG channel;
} tagRVG_HED_DATA;

#define RUV_OK 0
#define RUV_ERR_PARAM 1   // no bytes or no output handle
#define RUV_ERR_STREAM 2  // not an Ogg Vorbis stream, or a broken one
#define RUV_ERR_FORMAT 3  // more than two channels
#define RUV_ERR_MEMORY 4

// Decodes `size` bytes of an Ogg Vorbis file. 0 on success: *wav receives a GlobalAlloc'd
// movable block holding the header (channels at 22, rate at 24, bits 16 at 34, data length at
// 40) and the PCM; the caller frees it. Any other result is a failure and *wav stays null.
OVD_API int WINAPI RuvOggDecoder(const void* data, DWORD size, HGLOBAL* wav, tagRVG_HED_DATA* info);
