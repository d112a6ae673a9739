// The demo frame's helpers that its tests reach besides the public header.
#pragma once

#include "demo.h"

// The grid corner of the snow box around the camera: each coordinate rounded to the nearest
// integer, then cut toward zero to a multiple of the box's size along it (50, 100, 50).
void DemoSnowBox(const tagKRN3D* camera, tagKRN3D* corner);
// The half-size h of a flake at distance d from the camera: 2 x (1 - d / 50), shrinking again
// inside 15 units (0 at the camera), 0 at 50 and negative beyond.
double DemoSnowSize(double d);
// The running program's description (NULL before DemoMain).
const DemoProgram* DemoRunningProgram();
// The view for the engine ini file's "EMULATION" value: exactly "hard" gives (80, 60)-(720, 540)
// and 0; anything else (software mode) (80, 60)-(320, 220) and 1, the value of bEMUMODE.
int DemoViewRect(const char* emulation, RECT* r);
