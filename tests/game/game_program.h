// The start and end of a test program that runs parts of the game on their own: its command
// line's words, the game started as the program starts it (the airport and scenario, the
// program folder, the main window and the 3D view docked in it with the game's window
// procedures under class names of the program's own, GameInit), and the game closed as at the
// close box.
#pragma once

#include <string>
#include <vector>

#include "frame/frame_internal.h"

// The words of a command line, separated by blanks.
inline std::vector<std::string> CommandWords(const char* cmdline) {
    const std::string line = cmdline ? cmdline : "";
    std::vector<std::string> words;
    for (size_t at = 0; at < line.size();) {
        const size_t end = line.find(' ', at);
        if (end != at) words.push_back(line.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return words;
}

inline bool OpenGameWindows(HINSTANCE instance, const char* cls) {
    const std::string view = std::string(cls) + "_VIEW";
    WNDCLASSA wc{};
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.hInstance = instance;
    wc.lpfnWndProc = WndProc;
    wc.lpszClassName = cls;
    if (!RegisterClassA(&wc)) return false;
    wc.lpfnWndProc = ViewWndProc;
    wc.lpszClassName = view.c_str();
    if (!RegisterClassA(&wc)) return false;
    FrameHandles& f = Handles();
    f.mainwnd =
        CreateWindowExA(0, cls, kGameTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 804,
                        604 + GetSystemMetrics(SM_CYCAPTION), nullptr, nullptr, instance, nullptr);
    f.viewwnd = CreateWindowExA(0, view.c_str(), "view", WS_CHILD, 0, 200, 800, 200, f.mainwnd,
                                nullptr, instance, nullptr);
    return f.mainwnd && f.viewwnd;
}

// Sets the airport and scenario, reads the program folder, opens the windows and starts the
// game (GameInit). 0 when the game does not start.
inline bool StartGame(HINSTANCE instance, const char* cls, const std::string& airport,
                      const std::string& scenario) {
    FrameHandles& f = Handles();
    f.instance = instance;
    lstrcpynA(f.airport, airport.c_str(), sizeof f.airport);
    lstrcpynA(f.scenario, scenario.c_str(), sizeof f.scenario);
    GetHomeDirectory();
    return OpenGameWindows(instance, cls) && GameInit();
}

// Ends the stage and the game as the close box does, so that no program follows the run, and
// closes the main window.
inline void CloseGame() {
    Handles().quitbyuser = 1;
    StageExit();
    GameEnd();
    DestroyWindow(Handles().mainwnd);
    PumpMessages();
}
