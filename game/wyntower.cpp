// The game program's entry.
#include "frame/frame.h"

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    return GameMain(instance, cmdLine);
}
