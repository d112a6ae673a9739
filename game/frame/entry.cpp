// The game program's entry, its windows and its main loop.
#include "frame/frame_internal.h"

int GameMain(HINSTANCE instance, const char*) {
    Handles().instance = instance;
    return 0;
}
