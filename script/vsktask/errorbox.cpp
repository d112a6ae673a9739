// The error and retry boxes of the script engine.
#include <cstdio>
#include <cstring>
#include <vector>

#include "vsktask.h"

int WINAPI VSKTASK_ErrorStop(HWND hwnd, LPCSTR caption, LPCSTR text) {
    if (!text) text = "";
    if (!hwnd) return MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    char name[260] = "シナリオ不定";
    int task = 0, line = 0;
    SendMessageA(hwnd, VSKTASK_MSG_TASKNAME, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(hwnd, VSKTASK_MSG_TASKNO, 0, reinterpret_cast<LPARAM>(&task));
    SendMessageA(hwnd, VSKTASK_MSG_TASKLINE, 0, reinterpret_cast<LPARAM>(&line));
    name[sizeof name - 1] = 0;  // the host's copy is trusted no further than the buffer
    static const char kFormat[] = "【シナリオ】\t%s\n【タスク】\t%d\n【行番号】\t%d\n【内容】\t%s";
    std::vector<char> box(sizeof kFormat + sizeof name + std::strlen(text) + 32);
    std::snprintf(box.data(), box.size(), kFormat, name, task, line, text);
    return MessageBoxA(hwnd, box.data(), caption, MB_OK | MB_ICONSTOP);
}

int WINAPI VSKTASK_ErrorRetry(HWND hwnd, LPCSTR caption, LPCSTR text) {
    UINT type = MB_RETRYCANCEL | MB_ICONSTOP | (hwnd ? 0u : UINT(MB_TASKMODAL));
    return MessageBoxA(hwnd, text ? text : "", caption, type) == IDRETRY ? 1 : 0;
}
