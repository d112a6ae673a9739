// wyndemob's scenes: the night tours, the two night approaches from the cockpit with the
// blinking approach light, the night spiral in falling snow, and the wallpaper show.
#pragma once

#include "approach.h"

#define WALLPAPERS 6

// Runs the scene for the command line's first character ('0'..'5'); any other runs nothing.
void RunNightScene(char first);

// The approach light (the airport's "stlight") placed for the camera (x, y, z) at segment time
// t, along the first approach's line (FlushSet3) or the second's (FlushSet4).
void FlushSet3(double x, double y, double z, int t);
void FlushSet4(double x, double y, double z, int t);
// One frame of the snow scene: the snow placed around the camera (200 flakes shown), then
// Render.
void Render2();

void Demo1();
void Demo2();
void Demo3();
void Demo4();
void Demo5();
void Demo6();

// The wallpaper table's name i (Shift-JIS), "" outside 0..WALLPAPERS - 1.
const char* WallpaperName(int i);
// The Windows folder into `folder` (`cap` bytes). 0 when none came back, or it did not fit.
int WallpaperFolder(char* folder, UINT cap);
// Writes the six wallpapers as 24-bit BMP files into the Windows folder, each picture that
// loads; none when there is no folder. Returns how many were written.
int SaveWallpapers();
