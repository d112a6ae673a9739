// What the world's modules share among themselves; other subsystems use world.h.
#pragma once

#include "frame/frame.h"
#include "world/world.h"

// ---- the frame's services, declared here until the frame's own header holds them ----
// Sets the main window's title to "<title> <step>" (a stage-building step).
void SetTitleStep(const char* step);
// 1 when program folder + `path` names a file.
int FileExists(const char* path);
