// The spy drivers' shared log: every entry point a spy driver is given is written here as one
// line, and the test can make a named entry point fail.
#pragma once

#ifdef SPYLOG_BUILDING
#define SPYAPI extern "C" __attribute__((visibility("default")))
#else
#define SPYAPI extern "C"
#endif

SPYAPI void Spy_Log(const char* format, ...);
SPYAPI const char* Spy_Text(void);
SPYAPI void Spy_Clear(void);
// Entry points named here (one line each, e.g. "drv_spy.dll DRV_PERSPECTIVE") return 0.
SPYAPI void Spy_Fail(const char* entry);
SPYAPI int Spy_Fails(const char* entry);
