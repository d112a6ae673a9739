// The DirectSound subset: one sound object per process window, a primary buffer whose format
// and volume can be set, and static secondary buffers (unsigned 8-bit or signed 16-bit PCM,
// mono or stereo, any rate) that are mixed in software into the process's one audio output,
// beside the wave output. Volumes are in hundredths of a decibel (0 full, -10000 silent).
#pragma once

#include "mmsystem.h"
#include "win/unknwn.h"

#define DS_OK ((HRESULT)0)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_GENERIC E_FAIL
#define DSERR_CONTROLUNAVAIL MAKE_HRESULT(1, 0x878, 30)
#define DSERR_INVALIDCALL MAKE_HRESULT(1, 0x878, 50)
#define DSERR_PRIOLEVELNEEDED MAKE_HRESULT(1, 0x878, 70)
#define DSERR_BADFORMAT MAKE_HRESULT(1, 0x878, 100)
#define DSERR_NODRIVER MAKE_HRESULT(1, 0x878, 120)
#define DSERR_UNINITIALIZED MAKE_HRESULT(1, 0x878, 170)

// Cooperative levels.
#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002
#define DSSCL_EXCLUSIVE 0x00000003
#define DSSCL_WRITEPRIMARY 0x00000004

// Buffer description flags.
#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCHARDWARE 0x00000004
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000

#define DSBPLAY_LOOPING 0x00000001

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_BUFFERLOST 0x00000002
#define DSBSTATUS_LOOPING 0x00000004

#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 100000

#define DSCAPS_PRIMARYMONO 0x00000001
#define DSCAPS_PRIMARYSTEREO 0x00000002
#define DSCAPS_PRIMARY8BIT 0x00000004
#define DSCAPS_PRIMARY16BIT 0x00000008
#define DSCAPS_EMULDRIVER 0x00000020
#define DSCAPS_SECONDARYMONO 0x00000100
#define DSCAPS_SECONDARYSTEREO 0x00000200
#define DSCAPS_SECONDARY8BIT 0x00000400
#define DSCAPS_SECONDARY16BIT 0x00000800

typedef struct _DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;  // 0 for the primary buffer
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;  // null for the primary buffer
} DSBUFFERDESC, *LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

typedef struct _DSBCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwUnlockTransferRate;
    DWORD dwPlayCpuOverhead;
} DSBCAPS, *LPDSBCAPS;

typedef struct _DSCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwMinSecondarySampleRate;
    DWORD dwMaxSecondarySampleRate;
    DWORD dwPrimaryBuffers;
    DWORD dwMaxHwMixingAllBuffers;
    DWORD dwMaxHwMixingStaticBuffers;
    DWORD dwMaxHwMixingStreamingBuffers;
    DWORD dwFreeHwMixingAllBuffers;
    DWORD dwFreeHwMixingStaticBuffers;
    DWORD dwFreeHwMixingStreamingBuffers;
    DWORD dwMaxHw3DAllBuffers;
    DWORD dwMaxHw3DStaticBuffers;
    DWORD dwMaxHw3DStreamingBuffers;
    DWORD dwFreeHw3DAllBuffers;
    DWORD dwFreeHw3DStaticBuffers;
    DWORD dwFreeHw3DStreamingBuffers;
    DWORD dwTotalHwMemBytes;
    DWORD dwFreeHwMemBytes;
    DWORD dwMaxContigFreeHwMemBytes;
    DWORD dwUnlockTransferRateHwBuffers;
    DWORD dwPlayCpuOverheadSwBuffers;
    DWORD dwReserved1;
    DWORD dwReserved2;
} DSCAPS, *LPDSCAPS;

struct IDirectSoundBuffer : IUnknown {
    STDMETHOD(GetCaps)(LPDSBCAPS caps) PURE;
    // Byte offsets of the play and write cursors (the write cursor is the play cursor here).
    STDMETHOD(GetCurrentPosition)(DWORD* play, DWORD* write) PURE;
    STDMETHOD(GetFormat)(LPWAVEFORMATEX format, DWORD size, DWORD* written) PURE;
    STDMETHOD(GetVolume)(LONG* volume) PURE;
    STDMETHOD(GetFrequency)(DWORD* hz) PURE;
    STDMETHOD(GetStatus)(DWORD* status) PURE;
    STDMETHOD(Lock)
    (DWORD offset, DWORD bytes, void** p1, DWORD* n1, void** p2, DWORD* n2, DWORD flags) PURE;
    STDMETHOD(Play)(DWORD reserved, DWORD priority, DWORD flags) PURE;
    STDMETHOD(SetCurrentPosition)(DWORD offset) PURE;
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX format) PURE;  // primary buffer only
    STDMETHOD(SetVolume)(LONG volume) PURE;
    STDMETHOD(SetFrequency)(DWORD hz) PURE;  // DSBFREQUENCY_ORIGINAL: its own rate
    STDMETHOD(Stop)() PURE;
    STDMETHOD(Unlock)(void* p1, DWORD n1, void* p2, DWORD n2) PURE;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

struct IDirectSound : IUnknown {
    STDMETHOD(CreateSoundBuffer)
    (LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out, LPUNKNOWN outer) PURE;
    STDMETHOD(GetCaps)(LPDSCAPS caps) PURE;
    // The window must exist; buffers cannot be created before the level is set.
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD level) PURE;
};
typedef IDirectSound* LPDIRECTSOUND;

WYN_DEFINE_GUID(IID_IDirectSound, 0x279AFA83, 0x4981, 0x11CE, 0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B,
                0xE5, 0x60);
WYN_DEFINE_GUID(IID_IDirectSoundBuffer, 0x279AFA85, 0x4981, 0x11CE, 0xA5, 0x21, 0x00, 0x20, 0xAF,
                0x0B, 0xE5, 0x60);

// Creates the sound object on the default device (`device` null).
WINBASEAPI HRESULT WINAPI DirectSoundCreate(LPGUID device, LPDIRECTSOUND* out, LPUNKNOWN outer);

// The layer's own extra: a buffer played looping stops by itself after `passes` whole passes
// (0: loops until stopped), so that a caller can play a sound a given number of times without
// a gap between the passes.
WINBASEAPI HRESULT WINAPI WynPlat_SetSoundBufferPasses(LPDIRECTSOUNDBUFFER buffer, DWORD passes);
