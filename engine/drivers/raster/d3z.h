// The raster driver's Direct3D device layer: DirectDraw for a window or for exclusive full
// screen, the device (a hardware device first, emulation after a failed hardware attempt), its
// depth buffer, the retained-mode objects that give the immediate-mode viewport, presentation,
// back-buffer clears and textures. One window and one view at a time.
#pragma once

#include "d3drm.h"
#include "krn.h"

struct D3Zvars {
    IDirectDraw* dd;
    IDirect3D2* d3d;
    IDirect3DRM2* rm;
    IDirectDrawSurface* primary;
    IDirectDrawSurface* back;  // also the device's render target
    IDirectDrawSurface* zbuffer;
    IDirectDrawClipper* clipper;
    IDirectDrawSurface* work;  // colour-keyed 2D copies go through it
    IDirect3DDevice2* device;
    IDirect3DRMDevice2* rmdevice;
    IDirect3DRMViewport* viewport;
    HWND hwnd;
    int xpos, ypos, xsize, ysize;  // xsize = ysize = 0: no view
    int cxpos, cypos, cxsize, cysize;
    RECT present;  // where the back buffer goes on the screen
    RECT saved;    // the window's rectangle before full screen
    int bpp;       // the display's bits per pixel
    int windowed;  // 1 window, 0 exclusive full screen
    int ready;     // frames may be drawn and presented
    int copying;   // a device context is open on the back buffer or the work surface
    int forceEmulation;
    int hardware;
    int softwareDevice;
    D3DCOLORMODEL model;
    DWORD lastColour;
    DWORD textureInUse;
};

extern D3Zvars g_d3z;

int D3Z_Initialize(HWND hwnd);
int D3Z_CreateDirectDraw(HWND hwnd, int full);
int D3Z_CreateDirect3DRM();
int D3Z_CreateD3DDevice(D3DCOLORMODEL model);
int D3Z_CreateViewport(IDirect3DRMFrame* cameraFrame);
int D3Z_ReadyToRender(int on);
int D3Z_FlipDD();
int D3Z_IfLostThenRestore();
int D3Z_ClearBackBuffer(const RECT* rect, DWORD colour);
DWORD D3Z_ColorMatch(IDirectDrawSurface* surface, COLORREF colour);
int D3Z_Cleanup();
int D3Z_LoadTexture(IDirect3DDevice2* device, tagKRNTEXTURE* slot, int small);
void D3Z_DeleteTexture(tagKRNTEXTURE* slot);
int D3Z_RestoreTexture(tagKRNTEXTURE* slot);
