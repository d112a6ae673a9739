// The frame's own state shared between its modules; other subsystems use frame.h.
#pragma once

#include "frame/frame.h"

struct FrameHandles {
    HINSTANCE instance;
    HWND mainwnd;
    HWND viewwnd;
    tagKRN* engine;
    tagKRNL* root;
    HZEMSCREEN screen;
    char homedir[MAX_PATH];  // the program folder with its trailing backslash
};
FrameHandles& Handles();
