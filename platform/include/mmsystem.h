// WINMM: the multimedia clock (wave output and MCI are added beside it by the sound layer).
#pragma once

#include "win/wintypes.h"

typedef UINT MMRESULT;
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

typedef struct timecaps_tag { UINT wPeriodMin, wPeriodMax; } TIMECAPS, *LPTIMECAPS;
WINBASEAPI DWORD WINAPI timeGetTime(void);
WINBASEAPI MMRESULT WINAPI timeBeginPeriod(UINT period);
WINBASEAPI MMRESULT WINAPI timeEndPeriod(UINT period);
WINBASEAPI MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size);
