// Direct3D retained mode of the DirectX 5 generation, as far as this platform layer offers it:
// the device, frame and viewport set-up that gives an immediate-mode viewport. Setters are
// recorded; a viewport's Clear clears its rectangle of the render target to black and of the
// depth buffer to the far value. Nothing is drawn through retained mode.
#pragma once

#include "d3d.h"

struct IDirect3DRM;
struct IDirect3DRM2;
struct IDirect3DRMFrame;
struct IDirect3DRMFrame2;
struct IDirect3DRMDevice;
struct IDirect3DRMDevice2;
struct IDirect3DRMViewport;
typedef IDirect3DRM* LPDIRECT3DRM;
typedef IDirect3DRM2* LPDIRECT3DRM2;
typedef IDirect3DRMFrame* LPDIRECT3DRMFRAME;
typedef IDirect3DRMFrame2* LPDIRECT3DRMFRAME2;
typedef IDirect3DRMDevice* LPDIRECT3DRMDEVICE;
typedef IDirect3DRMDevice2* LPDIRECT3DRMDEVICE2;
typedef IDirect3DRMViewport* LPDIRECT3DRMVIEWPORT;

WYN_DEFINE_GUID(IID_IDirect3DRM, 0x2BC49361, 0x8327, 0x11CF, 0xAC, 0x4A, 0x00, 0x00, 0xC0, 0x38,
                0x25, 0xA1);
WYN_DEFINE_GUID(IID_IDirect3DRM2, 0x4516ECC8, 0x8F20, 0x11D0, 0x9B, 0x6D, 0x00, 0x00, 0xC0, 0x78,
                0x1B, 0xC3);
WYN_DEFINE_GUID(IID_IDirect3DRMFrame, 0xEB16CB03, 0xD271, 0x11CE, 0xAC, 0x48, 0x00, 0x00, 0xC0,
                0x38, 0x25, 0xA1);
WYN_DEFINE_GUID(IID_IDirect3DRMFrame2, 0xC3DFBD60, 0x3988, 0x11D0, 0x9E, 0xC2, 0x00, 0x00, 0xC0,
                0x29, 0x1A, 0xC3);
WYN_DEFINE_GUID(IID_IDirect3DRMDevice, 0xE9E19280, 0x6E05, 0x11CF, 0xAC, 0x4A, 0x00, 0x00, 0xC0,
                0x38, 0x25, 0xA1);
WYN_DEFINE_GUID(IID_IDirect3DRMDevice2, 0x4516EC78, 0x8F20, 0x11D0, 0x9B, 0x6D, 0x00, 0x00, 0xC0,
                0x78, 0x1B, 0xC3);
WYN_DEFINE_GUID(IID_IDirect3DRMViewport, 0xEB16CB02, 0xD271, 0x11CE, 0xAC, 0x48, 0x00, 0x00, 0xC0,
                0x38, 0x25, 0xA1);

#define D3DRM_OK DD_OK

// A render quality is a shade mode, a lighting switch and a fill mode together.
typedef DWORD D3DRMRENDERQUALITY;
#define D3DRMSHADE_FLAT 0
#define D3DRMSHADE_GOURAUD 1
#define D3DRMSHADE_PHONG 2
#define D3DRMLIGHT_OFF 0
#define D3DRMLIGHT_ON 8
#define D3DRMFILL_POINTS 0
#define D3DRMFILL_WIREFRAME 64
#define D3DRMFILL_SOLID 128
#define D3DRMRENDER_WIREFRAME (D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_WIREFRAME)
#define D3DRMRENDER_UNLITFLAT (D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_SOLID)
#define D3DRMRENDER_FLAT (D3DRMSHADE_FLAT | D3DRMLIGHT_ON | D3DRMFILL_SOLID)
#define D3DRMRENDER_GOURAUD (D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_SOLID)
#define D3DRMRENDER_PHONG (D3DRMSHADE_PHONG | D3DRMLIGHT_ON | D3DRMFILL_SOLID)

typedef enum _D3DRMTEXTUREQUALITY {
    D3DRMTEXTURE_NEAREST = 0,
    D3DRMTEXTURE_LINEAR = 1,
    D3DRMTEXTURE_MIPNEAREST = 2,
    D3DRMTEXTURE_MIPLINEAR = 3,
    D3DRMTEXTURE_LINEARMIPNEAREST = 4,
    D3DRMTEXTURE_LINEARMIPLINEAR = 5,
} D3DRMTEXTUREQUALITY;

struct IDirect3DRMFrame : IUnknown {
    STDMETHOD(GetParent)(LPDIRECT3DRMFRAME* out) PURE;
};

struct IDirect3DRMFrame2 : IDirect3DRMFrame {};

struct IDirect3DRMDevice : IUnknown {
    STDMETHOD(SetBufferCount)(DWORD count) PURE;
    STDMETHOD_(DWORD, GetBufferCount)() PURE;
    STDMETHOD(SetDither)(BOOL on) PURE;
    STDMETHOD_(BOOL, GetDither)() PURE;
    STDMETHOD(SetShades)(DWORD shades) PURE;
    STDMETHOD_(DWORD, GetShades)() PURE;
    STDMETHOD(SetQuality)(D3DRMRENDERQUALITY quality) PURE;
    STDMETHOD_(D3DRMRENDERQUALITY, GetQuality)() PURE;
    STDMETHOD(SetTextureQuality)(D3DRMTEXTUREQUALITY quality) PURE;
    STDMETHOD_(D3DRMTEXTUREQUALITY, GetTextureQuality)() PURE;
    STDMETHOD(GetDirect3DDevice2)(LPDIRECT3DDEVICE2* out) PURE;
};

struct IDirect3DRMDevice2 : IDirect3DRMDevice {};

struct IDirect3DRMViewport : IUnknown {
    // Clears the viewport's rectangle of the render target (black) and of its depth buffer.
    STDMETHOD(Clear)() PURE;
    STDMETHOD(ForceUpdate)(DWORD x1, DWORD y1, DWORD x2, DWORD y2) PURE;
    STDMETHOD(SetBack)(D3DVALUE back) PURE;
    STDMETHOD_(D3DVALUE, GetBack)() PURE;
    STDMETHOD(GetDirect3DViewport)(LPDIRECT3DVIEWPORT* out) PURE;
};

struct IDirect3DRM : IUnknown {
    STDMETHOD(CreateFrame)(LPDIRECT3DRMFRAME parent, LPDIRECT3DRMFRAME* out) PURE;
};

struct IDirect3DRM2 : IUnknown {
    STDMETHOD(CreateFrame)(LPDIRECT3DRMFRAME parent, LPDIRECT3DRMFRAME2* out) PURE;
    STDMETHOD(CreateDeviceFromD3D)
    (LPDIRECT3D2 d3d, LPDIRECT3DDEVICE2 device, LPDIRECT3DRMDEVICE2* out) PURE;
    STDMETHOD(CreateViewport)
    (LPDIRECT3DRMDEVICE device, LPDIRECT3DRMFRAME camera, DWORD x, DWORD y, DWORD width,
     DWORD height, LPDIRECT3DRMVIEWPORT* out) PURE;
    STDMETHOD(SetDefaultTextureColors)(DWORD colors) PURE;
    STDMETHOD(SetDefaultTextureShades)(DWORD shades) PURE;
};

// Creates the retained-mode object (ask it for IDirect3DRM2).
WINBASEAPI HRESULT WINAPI Direct3DRMCreate(LPDIRECT3DRM* out);
