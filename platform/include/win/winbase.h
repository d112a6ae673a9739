// KERNEL32: files, ini files, memory, modules, processes, threads and synchronisation,
// the clock, locale and error codes. Implemented by the platform layer (libwinplat).
#pragma once

#include "wintypes.h"

// ---- error codes (GetLastError) ----
#define ERROR_SUCCESS 0
#define NO_ERROR 0
#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_OUTOFMEMORY 14
#define ERROR_NO_MORE_FILES 18
#define ERROR_NOT_SAME_DEVICE 17
#define ERROR_GEN_FAILURE 31
#define ERROR_SHARING_VIOLATION 32
#define ERROR_HANDLE_EOF 38
#define ERROR_BAD_NETPATH 53
#define ERROR_FILE_EXISTS 0x50
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_DIR_NOT_EMPTY 145
#define ERROR_SEM_TIMEOUT 121
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_NOT_LOCKED 158
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_ALREADY_EXISTS 183
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_FILE_TOO_LARGE 223
#define ERROR_DIRECTORY 267
#define ERROR_NOACCESS 998
#define ERROR_BAD_EXE_FORMAT 193
#define ERROR_TIMEOUT 1460
#define WAIT_OBJECT_0 0
#define WAIT_ABANDONED 0x80
#define WAIT_ABANDONED_0 WAIT_ABANDONED
#define ERROR_NOT_OWNER 288
#define WAIT_TIMEOUT 258
#define WAIT_FAILED 0xFFFFFFFFu

WINBASEAPI DWORD WINAPI GetLastError(void);
WINBASEAPI void WINAPI SetLastError(DWORD code);
WINBASEAPI UINT WINAPI SetErrorMode(UINT mode);
#define SEM_FAILCRITICALERRORS 0x0001
#define SEM_NOOPENFILEERRORBOX 0x8000

// ---- files ----
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x01
#define FILE_ATTRIBUTE_HIDDEN 0x02
#define FILE_ATTRIBUTE_SYSTEM 0x04
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_FLAG_RANDOM_ACCESS 0x10000000
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

WINBASEAPI HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share,
                                     LPSECURITY_ATTRIBUTES sa, DWORD disposition, DWORD flags,
                                     HANDLE templ);
WINBASEAPI BOOL WINAPI ReadFile(HANDLE file, LPVOID buf, DWORD toRead, LPDWORD read,
                                LPOVERLAPPED ov);
WINBASEAPI BOOL WINAPI WriteFile(HANDLE file, LPCVOID buf, DWORD toWrite, LPDWORD written,
                                 LPOVERLAPPED ov);
WINBASEAPI DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh,
                                       DWORD method);
WINBASEAPI DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh);
WINBASEAPI BOOL WINAPI SetEndOfFile(HANDLE file);
WINBASEAPI BOOL WINAPI FlushFileBuffers(HANDLE file);
WINBASEAPI BOOL WINAPI CloseHandle(HANDLE h);
WINBASEAPI BOOL WINAPI DeleteFileA(LPCSTR name);
WINBASEAPI BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to);
WINBASEAPI BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists);
WINBASEAPI BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES sa);
WINBASEAPI BOOL WINAPI RemoveDirectoryA(LPCSTR name);
WINBASEAPI DWORD WINAPI GetFileAttributesA(LPCSTR name);
WINBASEAPI DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD cap, LPSTR buf, LPSTR* filePart);

#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT, *POFSTRUCT;
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_SHARE_COMPAT 0x0000
#define OF_SHARE_EXCLUSIVE 0x0010
#define OF_SHARE_DENY_WRITE 0x0020
#define OF_SHARE_DENY_READ 0x0030
#define OF_SHARE_DENY_NONE 0x0040
#define OF_PARSE 0x0100
#define OF_DELETE 0x0200
#define OF_CANCEL 0x0800
#define OF_CREATE 0x1000
#define OF_PROMPT 0x2000
#define OF_EXIST 0x4000
#define OF_REOPEN 0x8000

WINBASEAPI HFILE WINAPI OpenFile(LPCSTR name, LPOFSTRUCT of, UINT style);
WINBASEAPI HFILE WINAPI _lopen(LPCSTR name, int mode);
WINBASEAPI HFILE WINAPI _lcreat(LPCSTR name, int attributes);
WINBASEAPI UINT WINAPI _lread(HFILE file, LPVOID buf, UINT bytes);
WINBASEAPI UINT WINAPI _lwrite(HFILE file, LPCSTR buf, UINT bytes);
WINBASEAPI LONG WINAPI _hread(HFILE file, LPVOID buf, LONG bytes);
WINBASEAPI LONG WINAPI _hwrite(HFILE file, LPCSTR buf, LONG bytes);
WINBASEAPI LONG WINAPI _llseek(HFILE file, LONG offset, int origin);
WINBASEAPI HFILE WINAPI _lclose(HFILE file);

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;
typedef WIN32_FIND_DATAA WIN32_FIND_DATA;
typedef LPWIN32_FIND_DATAA LPWIN32_FIND_DATA;

WINBASEAPI HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
WINBASEAPI BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
WINBASEAPI BOOL WINAPI FindClose(HANDLE find);

WINBASEAPI DWORD WINAPI GetCurrentDirectoryA(DWORD cap, LPSTR buf);
WINBASEAPI BOOL WINAPI SetCurrentDirectoryA(LPCSTR dir);
WINBASEAPI DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buf, DWORD cap);
WINBASEAPI UINT WINAPI GetWindowsDirectoryA(LPSTR buf, UINT cap);
WINBASEAPI UINT WINAPI GetSystemDirectoryA(LPSTR buf, UINT cap);
WINBASEAPI DWORD WINAPI GetTempPathA(DWORD cap, LPSTR buf);
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6
WINBASEAPI UINT WINAPI GetDriveTypeA(LPCSTR root);
WINBASEAPI DWORD WINAPI GetLogicalDrives(void);

// ---- ini files ----
WINBASEAPI DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf,
                                                 DWORD cap, LPCSTR file);
WINBASEAPI UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file);
WINBASEAPI BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value,
                                                  LPCSTR file);
WINBASEAPI DWORD WINAPI GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf,
                                          DWORD cap);
WINBASEAPI UINT WINAPI GetProfileIntA(LPCSTR section, LPCSTR key, INT def);

// ---- memory ----
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GMEM_SHARE 0x2000
#define GMEM_DISCARDABLE 0x0100
#define GMEM_NOCOMPACT 0x0010
#define GMEM_MODIFY 0x0080
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FF
#define GMEM_INVALID_HANDLE 0x8000
WINBASEAPI HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
WINBASEAPI HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
WINBASEAPI LPVOID WINAPI GlobalLock(HGLOBAL mem);
WINBASEAPI BOOL WINAPI GlobalUnlock(HGLOBAL mem);
WINBASEAPI HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
WINBASEAPI SIZE_T WINAPI GlobalSize(HGLOBAL mem);
WINBASEAPI HGLOBAL WINAPI GlobalHandle(LPCVOID pointer);
WINBASEAPI UINT WINAPI GlobalFlags(HGLOBAL mem);
WINBASEAPI HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes);
WINBASEAPI HLOCAL WINAPI LocalFree(HLOCAL mem);

// ---- clock ----
WINBASEAPI DWORD WINAPI GetTickCount(void);
WINBASEAPI BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
WINBASEAPI BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
WINBASEAPI void WINAPI Sleep(DWORD ms);
WINBASEAPI void WINAPI GetSystemTime(LPSYSTEMTIME st);
WINBASEAPI void WINAPI GetLocalTime(LPSYSTEMTIME st);

// ---- modules ----
WINBASEAPI HMODULE WINAPI LoadLibraryA(LPCSTR name);
WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
WINBASEAPI BOOL WINAPI FreeLibrary(HMODULE module);
WINBASEAPI HMODULE WINAPI GetModuleHandleA(LPCSTR name);

// ---- processes ----
typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;
typedef STARTUPINFOA STARTUPINFO;
typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;
#define STARTF_USESHOWWINDOW 0x1
#define CREATE_SUSPENDED 0x4
#define NORMAL_PRIORITY_CLASS 0x20
#define STILL_ACTIVE 259
WINBASEAPI BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR commandLine,
                                      LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                      BOOL inherit, DWORD flags, LPVOID environment,
                                      LPCSTR currentDirectory, LPSTARTUPINFOA si,
                                      LPPROCESS_INFORMATION pi);
WINBASEAPI UINT WINAPI WinExec(LPCSTR commandLine, UINT show);
WINBASEAPI BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD code);
WINBASEAPI BOOL WINAPI TerminateProcess(HANDLE process, UINT code);
WINBASEAPI void WINAPI ExitProcess(UINT code);
WINBASEAPI DWORD WINAPI GetCurrentProcessId(void);
WINBASEAPI DWORD WINAPI GetCurrentThreadId(void);
WINBASEAPI HANDLE WINAPI GetCurrentProcess(void);
WINBASEAPI HANDLE WINAPI GetCurrentThread(void);
WINBASEAPI LPSTR WINAPI GetCommandLineA(void);
// Defined by each program of the system; called by the `winmain` library's main() with the
// program's command line as the C runtime derives it.
extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int show);

// ---- threads and synchronisation ----
// Waits and their time-outs run on the process clock (see wynplat.h). SuspendThread and
// TerminateThread act only on threads created suspended and not yet resumed; on a running
// thread they fail with ERROR_ACCESS_DENIED. Priorities are kept but change nothing.
// PulseEvent releases every thread waiting at that moment (also for an auto-reset event).
// Named events and mutexes share one namespace within the process.
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID param);
WINBASEAPI HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack,
                                      LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                                      LPDWORD threadId);
WINBASEAPI DWORD WINAPI ResumeThread(HANDLE thread);
WINBASEAPI DWORD WINAPI SuspendThread(HANDLE thread);
WINBASEAPI void WINAPI ExitThread(DWORD code);
WINBASEAPI BOOL WINAPI TerminateThread(HANDLE thread, DWORD code);
WINBASEAPI BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD code);
WINBASEAPI BOOL WINAPI SetThreadPriority(HANDLE thread, int priority);
WINBASEAPI int WINAPI GetThreadPriority(HANDLE thread);
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

// Storage for a recursive lock kept inside the caller's record, as the system declares them.
typedef struct _RTL_CRITICAL_SECTION {
    alignas(16) unsigned char opaque[64];
} CRITICAL_SECTION, *LPCRITICAL_SECTION, *PCRITICAL_SECTION;
WINBASEAPI void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs);
WINBASEAPI void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs);
WINBASEAPI BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs);
WINBASEAPI void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs);
WINBASEAPI void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs);

// Condition variables waiting on the process clock, used with a critical section that the
// caller has entered once. A wake-up may come without a wake call (and WakeConditionVariable
// wakes every waiter): a waiter tests its condition again in a loop. A time-out gives FALSE
// with ERROR_TIMEOUT.
typedef struct _RTL_CONDITION_VARIABLE {
    void* Ptr;
} CONDITION_VARIABLE, *PCONDITION_VARIABLE;
WINBASEAPI void WINAPI InitializeConditionVariable(PCONDITION_VARIABLE cv);
WINBASEAPI BOOL WINAPI SleepConditionVariableCS(PCONDITION_VARIABLE cv, PCRITICAL_SECTION cs,
                                                DWORD ms);
WINBASEAPI void WINAPI WakeConditionVariable(PCONDITION_VARIABLE cv);
WINBASEAPI void WINAPI WakeAllConditionVariable(PCONDITION_VARIABLE cv);

WINBASEAPI HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES sa, BOOL manualReset, BOOL initial,
                                      LPCSTR name);
WINBASEAPI HANDLE WINAPI OpenEventA(DWORD access, BOOL inherit, LPCSTR name);
WINBASEAPI BOOL WINAPI SetEvent(HANDLE event);
WINBASEAPI BOOL WINAPI ResetEvent(HANDLE event);
WINBASEAPI BOOL WINAPI PulseEvent(HANDLE event);
WINBASEAPI HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCSTR name);
WINBASEAPI BOOL WINAPI ReleaseMutex(HANDLE mutex);
WINBASEAPI DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms);
WINBASEAPI DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                               DWORD ms);
#define EVENT_ALL_ACCESS 0x1F0003
#define EVENT_MODIFY_STATE 0x0002
#define SYNCHRONIZE 0x00100000
WINBASEAPI LONG WINAPI InterlockedIncrement(LONG volatile* v);
WINBASEAPI LONG WINAPI InterlockedDecrement(LONG volatile* v);
WINBASEAPI LONG WINAPI InterlockedExchange(LONG volatile* v, LONG value);
WINBASEAPI LONG WINAPI InterlockedExchangeAdd(LONG volatile* v, LONG value);
WINBASEAPI LONG WINAPI InterlockedCompareExchange(LONG volatile* v, LONG value, LONG comparand);

// ---- mailslots (to the outside debugging tools) ----
#define MAILSLOT_WAIT_FOREVER ((DWORD)-1)
#define MAILSLOT_NO_MESSAGE ((DWORD)-1)
WINBASEAPI HANDLE WINAPI CreateMailslotA(LPCSTR name, DWORD maxMessage, DWORD readTimeout,
                                         LPSECURITY_ATTRIBUTES sa);
WINBASEAPI BOOL WINAPI GetMailslotInfo(HANDLE slot, LPDWORD maxMessage, LPDWORD nextSize,
                                       LPDWORD count, LPDWORD readTimeout);

// ---- locale and strings ----
#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
WINBASEAPI LANGID WINAPI GetUserDefaultLangID(void);
WINBASEAPI LANGID WINAPI GetSystemDefaultLangID(void);
WINBASEAPI UINT WINAPI GetACP(void);
WINBASEAPI int WINAPI lstrlenA(LPCSTR s);
WINBASEAPI int WINAPI lstrcmpA(LPCSTR a, LPCSTR b);
WINBASEAPI int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);
WINBASEAPI LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
WINBASEAPI LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int cap);
WINBASEAPI LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src);
WINBASEAPI int WINAPI MulDiv(int number, int numerator, int denominator);
WINBASEAPI void WINAPI OutputDebugStringA(LPCSTR text);

#define lstrlen lstrlenA
#define lstrcmp lstrcmpA
#define lstrcmpi lstrcmpiA
#define lstrcpy lstrcpyA
#define lstrcpyn lstrcpynA
#define lstrcat lstrcatA
