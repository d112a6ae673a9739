#include "standby_client.h"

#include <unistd.h>

#include <cstring>
#include <string>

#include "wynplat.h"

namespace {

constexpr DWORD kWaitMs = 3000;

// Removes and dispatches every message waiting for this thread, then yields briefly so that
// a wait for another program does not spin a processor. On the virtual clock a sleep may pass
// in no real time at all, while the program waited for runs on a clock of its own: each look
// then also lets a real millisecond pass, so that the program has time to appear.
void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Sleep(1);
    if (WynPlat_IsVirtualClock()) usleep(1000);
}

template <class Found>
bool WaitUpTo(DWORD ms, Found found) {
    DWORD t0 = GetTickCount();
    while (GetTickCount() - t0 < ms) {
        if (found()) return true;
        Pump();
    }
    return false;
}

HWND FindStandBy() { return FindWindowA(STANDBY_CLASS, nullptr); }

void Report(const char* japanese, const char* english) {
    MessageBoxA(nullptr, StandBy_IsJapanese() ? japanese : english, "standby", MB_OK | MB_ICONSTOP);
}

}  // namespace

int StandBy_CutsBack(const char* program, const char* arguments) {
    size_t length = std::strlen(program), named = length;
    while (named > 0 && program[named - 1] == ' ') --named;
    if (named == 0) return 1;
    std::string line = std::string(program) + " " + arguments;
    size_t cut = StandBy_CommandCut(line.c_str());
    return cut >= named && cut <= length;
}

int StandBy_IsJapanese(void) { return GetUserDefaultLangID() == 1041 ? 1 : 0; }

int StandBy_FormatCommand(const char* program, const char* arguments, char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    out[0] = '\0';
    const char* prefix = "standby.exe ";
    if (!program) program = "";
    if (!arguments) arguments = "";
    size_t need = std::strlen(prefix) + std::strlen(program) + 1 + std::strlen(arguments);
    if (need > STANDBY_LINE_MAX || need + 1 > cap) return 0;
    wsprintfA(out, "standby.exe %s %s", program, arguments);
    return 1;
}

size_t StandBy_CommandCut(const char* line) {
    size_t cut = 0;
    int blanks = 0;
    for (size_t i = std::strlen(line); i-- > 0;) {
        if (line[i] != ' ') continue;
        cut = i;
        if (++blanks == 2) break;
    }
    return cut;
}

int StandBy_Start(const char* program, const char* arguments) {
    char line[STANDBY_LINE_MAX + 1];
    if (!StandBy_FormatCommand(program, arguments, line, sizeof line)) {
        Report("スタンバイのコマンドラインが長すぎます。",
               "The stand-by command line is too long.");
        return 0;
    }
    if (!StandBy_CutsBack(program ? program : "", arguments ? arguments : "")) {
        Report("スタンバイのコマンドラインからプログラム名を取り出せません。",
               "The stand-by command line would not give back the program's name.");
        return 0;
    }
    // A window left from an earlier hand-over would launch its own command on the next
    // STANDBY_RUN, and the new stand-by program would end at once beside it: close it first.
    if (HWND old = FindStandBy()) {
        PostMessageA(old, WM_CLOSE, 0, 0);
        WaitUpTo(kWaitMs, [] { return FindStandBy() == nullptr; });
    }
    if (WinExec(line, SW_SHOWNORMAL) <= 31) return 0;
    return WaitUpTo(kWaitMs, [] { return FindStandBy() != nullptr; }) ? 1 : 0;
}

int StandBy_Send(int look) {
    HWND h = FindStandBy();
    if (!h && look != STANDBY_LOOK_ONCE)
        WaitUpTo(kWaitMs, [&h] { return (h = FindStandBy()) != nullptr; });
    if (!h) return 0;
    SendMessageA(h, WM_COMMAND, STANDBY_RUN_ID, STANDBY_RUN_ID);
    return 1;
}

int StandBy_End(void) {
    HWND h = FindStandBy();
    if (!h) return 0;
    SendMessageA(h, WM_CLOSE, 0, 0);
    return 1;
}
