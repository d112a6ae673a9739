// Waiting on what another process does: a condition polled in real time until it holds or a
// bound has passed. The bound is generous for a loaded machine, and no result depends on it.
#pragma once

#include <unistd.h>

#include <windows.h>

// Whether `pred` held within `ms` milliseconds (its last answer).
template <class Pred>
bool WaitFor(Pred pred, int ms = 20000) {
    for (int i = 0; i < ms / 2; ++i) {
        if (pred()) return true;
        usleep(2000);
    }
    return pred();
}

// The same while this thread's window messages are served, for a peer that sends to a window
// of this thread and waits for the reply.
template <class Pred>
bool WaitServing(Pred pred, int ms = 20000) {
    for (int i = 0; i < ms / 2; ++i) {
        if (pred()) return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        usleep(2000);
    }
    return pred();
}
