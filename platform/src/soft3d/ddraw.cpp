// DirectDraw over memory surfaces: the drivers (the primary display driver and one 3D
// accelerator), cooperative levels, display modes, surfaces with Blt, Flip and Lock, clippers
// and palettes.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "soft3d/objects.h"
#include "soft3d/present.h"
#include "wynplat.h"

namespace soft3d {
namespace {

std::atomic<int> gRefusal{0};

// The display: the mode a full-screen program set, else the desktop.
std::mutex gDisplayLock;
bool gModeSet = false;
DisplayMode gMode{800, 600, 16};

// The accelerator's identifier (the primary display driver has none).
constexpr GUID kAcceleratorGuid = {
    0x5A0F3D10, 0x7B21, 0x11D0, {0x9C, 0x4E, 0x00, 0xA0, 0x24, 0x5B, 0x31, 0x07}};

struct ModeEntry {
    int width, height;
};
constexpr ModeEntry kModes[] = {{640, 480}, {800, 600}, {1024, 768}};

bool SameGuid(const GUID* a, const GUID& b) { return a && IsEqualGUID(*a, b); }

}  // namespace

int Refusal() { return gRefusal.load(); }

DisplayMode CurrentDisplayMode() {
    std::lock_guard<std::mutex> lock(gDisplayLock);
    if (gModeSet) return gMode;
    return DisplayMode{DesktopWidth(), DesktopHeight(), DesktopBitsPerPixel()};
}

Format FormatForBpp(int bpp) { return bpp >= 24 ? Format::XRGB8888 : Format::RGB565; }

void DescribeFormat(Format format, DDPIXELFORMAT& pf) {
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    pf.dwFlags = DDPF_RGB;
    switch (format) {
        case Format::RGB565:
            pf.dwRGBBitCount = 16;
            pf.dwRBitMask = 0xF800;
            pf.dwGBitMask = 0x07E0;
            pf.dwBBitMask = 0x001F;
            break;
        case Format::RGB555:
            pf.dwRGBBitCount = 16;
            pf.dwRBitMask = 0x7C00;
            pf.dwGBitMask = 0x03E0;
            pf.dwBBitMask = 0x001F;
            break;
        case Format::XRGB8888:
            pf.dwRGBBitCount = 32;
            pf.dwRBitMask = 0xFF0000;
            pf.dwGBitMask = 0x00FF00;
            pf.dwBBitMask = 0x0000FF;
            break;
    }
}

namespace {

// The colour format a pixel format record asks for, or false.
bool FormatFromPixelFormat(const DDPIXELFORMAT& pf, Format& out) {
    if (!(pf.dwFlags & DDPF_RGB) || (pf.dwFlags & (DDPF_ALPHAPIXELS | DDPF_FOURCC))) return false;
    for (Format f : {Format::RGB565, Format::RGB555, Format::XRGB8888}) {
        DDPIXELFORMAT d;
        DescribeFormat(f, d);
        if (pf.dwRGBBitCount == d.dwRGBBitCount && pf.dwRBitMask == d.dwRBitMask &&
            pf.dwGBitMask == d.dwGBitMask && pf.dwBBitMask == d.dwBBitMask) {
            out = f;
            return true;
        }
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------- Surface

Surface::Surface(DirectDraw* owner, const DDSURFACEDESC& desc, Format format, int depthBits)
    : owner_(owner), desc_(desc), format_(format), depthBits_(depthBits) {
    if (owner_) owner_->AddRef();
    bytesPerPixel_ = depthBits_ ? (depthBits_ == 16 ? 2 : 4) : BytesPerPixel(format_);
    LONG pitch = static_cast<LONG>((desc_.dwWidth * bytesPerPixel_ + 3) & ~3u);
    if (!depthBits_) {
        int dibPitch = 0;
        bitmap_ = CreateSurfaceBitmap(Width(), Height(), format_, &bits_, &dibPitch);
        if (bitmap_) pitch = dibPitch;
    }
    desc_.dwSize = sizeof(DDSURFACEDESC);
    desc_.dwFlags |= DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc_.lPitch = pitch;
    if (depthBits_) {
        std::memset(&desc_.ddpfPixelFormat, 0, sizeof desc_.ddpfPixelFormat);
        desc_.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc_.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
        desc_.ddpfPixelFormat.dwZBufferBitDepth = static_cast<DWORD>(depthBits_);
        desc_.dwFlags |= DDSD_ZBUFFERBITDEPTH;
        desc_.dwZBufferBitDepth = static_cast<DWORD>(depthBits_);
    } else {
        DescribeFormat(format_, desc_.ddpfPixelFormat);
    }
    desc_.lpSurface = nullptr;
    if (!bitmap_) {
        memory_.assign(static_cast<size_t>(pitch) * desc_.dwHeight, 0);
        bits_ = memory_.data();
    }
    if (desc_.dwFlags & DDSD_CKSRCBLT) {
        srcKeySet_ = true;
        srcKey_ = desc_.ddckCKSrcBlt;
    }
}

Surface::~Surface() {
    ForgetTextureHandle(handle_);
    if (dc_) CloseSurfaceDC(dc_);
    DeleteSurfaceBitmap(bitmap_);
    if (back_) back_->Release();
    if (depth_) depth_->Release();
    if (clipper_) clipper_->Release();
    if (palette_) palette_->Release();
    if (owner_) owner_->Release();
}

HRESULT Surface::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawSurface) {
        *out = static_cast<IDirectDrawSurface*>(this);
    } else if (riid == IID_IDirect3DTexture2 && !depthBits_) {
        *out = static_cast<IDirect3DTexture2*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG Surface::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG Surface::Release() {
    const int left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void Surface::AttachBackBuffer(Surface* back) { back_ = back; }

HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE surface) {
    auto* s = static_cast<Surface*>(surface);
    if (!s || s == this) return DDERR_INVALIDPARAMS;
    if (!s->IsDepth() || IsDepth()) return DDERR_UNSUPPORTED;
    if (depth_) return DDERR_SURFACEALREADYATTACHED;
    if (s->Width() != Width() || s->Height() != Height()) return DDERR_INVALIDPARAMS;
    s->AddRef();
    depth_ = s;
    return DD_OK;
}

HRESULT Surface::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE surface) {
    auto* s = static_cast<Surface*>(surface);
    if (s && s == depth_) {
        depth_ = nullptr;
        s->Release();
        return DD_OK;
    }
    return DDERR_NOTFOUND;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) {
    if (!caps || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    Surface* found = nullptr;
    if ((caps->dwCaps & DDSCAPS_BACKBUFFER) && back_) found = back_;
    if ((caps->dwCaps & DDSCAPS_ZBUFFER) && depth_) found = depth_;
    if (!found) return DDERR_NOTFOUND;
    found->AddRef();
    *out = found;
    return DD_OK;
}

HRESULT Surface::GetCaps(LPDDSCAPS caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = desc_.ddsCaps;
    return DD_OK;
}

HRESULT Surface::GetClipper(LPDIRECTDRAWCLIPPER* out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = clipper_;
    if (!clipper_) return DDERR_NOTFOUND;
    clipper_->AddRef();
    return DD_OK;
}

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    auto* c = static_cast<Clipper*>(clipper);
    if (c) c->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = c;
    return DD_OK;
}

HRESULT Surface::GetPalette(LPDIRECTDRAWPALETTE* out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = palette_;
    if (!palette_) return DDERR_NOTFOUND;
    palette_->AddRef();
    return DD_OK;
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE palette) {
    auto* p = static_cast<Palette*>(palette);
    if (p) p->AddRef();
    if (palette_) palette_->Release();
    palette_ = p;
    return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!key) return DDERR_INVALIDPARAMS;
    if (!(flags & DDCKEY_SRCBLT) || !srcKeySet_) return DDERR_NOCOLORKEY;
    *key = srcKey_;
    return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
    if (!key) {
        srcKeySet_ = false;
        return DD_OK;
    }
    srcKeySet_ = true;
    srcKey_ = *key;
    if (!(flags & DDCKEY_COLORSPACE)) srcKey_.dwColorSpaceHighValue = srcKey_.dwColorSpaceLowValue;
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
    if (!format) return DDERR_INVALIDPARAMS;
    *format = desc_.ddpfPixelFormat;
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    *desc = desc_;
    if (srcKeySet_) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = srcKey_;
    }
    return DD_OK;
}

HRESULT Surface::IsLost() { return DD_OK; }
HRESULT Surface::Restore() { return DD_OK; }

bool Surface::ValidRect(const RECT& r) const {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           r.right <= Width() && r.bottom <= Height();
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD, HANDLE) {
    if (!desc) return DDERR_INVALIDPARAMS;
    RECT r{0, 0, Width(), Height()};
    if (rect) {
        if (!ValidRect(*rect)) return DDERR_INVALIDRECT;
        r = *rect;
    }
    GetSurfaceDesc(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = bits_ + static_cast<size_t>(r.top) * desc_.lPitch +
                      static_cast<size_t>(r.left) * bytesPerPixel_;
    ++locks_;
    return DD_OK;
}

HRESULT Surface::Unlock(LPVOID) {
    if (locks_ == 0) return DDERR_NOTLOCKED;
    --locks_;
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
    if (!dc || depthBits_) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (dc_) return DDERR_DCALREADYCREATED;
    dc_ = OpenSurfaceDC(bitmap_);
    if (!dc_) return DDERR_CANTCREATEDC;
    *dc = dc_;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
    if (!dc || dc != dc_) return DDERR_NODC;
    CloseSurfaceDC(dc_);
    dc_ = nullptr;
    return DD_OK;
}

HWND Surface::PresentationWindow() const {
    if (clipper_ && clipper_->hwnd) return clipper_->hwnd;
    return owner_ ? owner_->Window() : nullptr;
}

Image Surface::AsImage() const {
    Image img;
    img.bits = const_cast<uint8_t*>(bits_);
    img.pitch = desc_.lPitch;
    img.width = Width();
    img.height = Height();
    img.format = format_;
    return img;
}

Depth Surface::AsDepth() const {
    Depth d;
    d.bits = const_cast<uint8_t*>(bits_);
    d.pitch = desc_.lPitch;
    d.width = Width();
    d.height = Height();
    d.depthBits = depthBits_;
    return d;
}

const Texture& Surface::AsTexture() {
    texture_.bits = bits_;
    texture_.pitch = desc_.lPitch;
    texture_.width = Width();
    texture_.height = Height();
    texture_.format = format_;
    texture_.keyed = srcKeySet_;
    texture_.keyLow = srcKey_.dwColorSpaceLowValue;
    texture_.keyHigh = srcKey_.dwColorSpaceHighValue;
    return texture_;
}

namespace {

inline uint32_t ReadPixel(const uint8_t* row, int x, int bpp) {
    if (bpp == 4) {
        uint32_t v;
        std::memcpy(&v, row + x * 4, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, row + x * 2, 2);
    return v;
}

inline void WritePixel(uint8_t* row, int x, int bpp, uint32_t v) {
    if (bpp == 4) {
        std::memcpy(row + x * 4, &v, 4);
    } else {
        const uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(row + x * 2, &w, 2);
    }
}

// One row of a keyed copy between surfaces of one format: a source pixel whose value (without
// the top byte of a 32-bit pixel) lies in [lo, hi] is left out.
template <class Pixel>
void KeyedRow(const uint8_t* srow, int sx, uint8_t* drow, int dx, int n, uint32_t lo, uint32_t hi) {
    for (int x = 0; x < n; ++x) {
        Pixel p;
        std::memcpy(&p, srow + static_cast<size_t>(sx + x) * sizeof(Pixel), sizeof(Pixel));
        uint32_t v = p;
        if constexpr (sizeof(Pixel) == 4) v &= 0xFFFFFF;
        if (v >= lo && v <= hi) continue;
        const Pixel out = static_cast<Pixel>(v);  // a 32-bit pixel lands without its top byte
        std::memcpy(drow + static_cast<size_t>(dx + x) * sizeof(Pixel), &out, sizeof(Pixel));
    }
}

}  // namespace

HRESULT Surface::Blt(LPRECT dstRect, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD flags,
                     LPDDBLTFX fx) {
    RECT dr{0, 0, Width(), Height()};
    if (dstRect) dr = *dstRect;
    // On the primary surface the rectangle is in screen coordinates and the window clips it.
    RECT screen = dr;
    if (IsPrimary()) {
        RECT bounds{0, 0, Width(), Height()};
        RECT clipped;
        clipped.left = std::max(dr.left, bounds.left);
        clipped.top = std::max(dr.top, bounds.top);
        clipped.right = std::min(dr.right, bounds.right);
        clipped.bottom = std::min(dr.bottom, bounds.bottom);
        if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) {
            if (!src) return DD_OK;
        }
        if (!src) dr = clipped;
    }
    if (flags & (DDBLT_COLORFILL | DDBLT_DEPTHFILL)) {
        if (!fx) return DDERR_INVALIDPARAMS;
        if (!ValidRect(dr)) return DDERR_INVALIDRECT;
        if (depthBits_) {
            FillDepth(AsDepth(), dr.left, dr.top, dr.right, dr.bottom,
                      (flags & DDBLT_DEPTHFILL) ? fx->dwFillDepth : fx->dwFillColor);
        } else {
            FillImage(AsImage(), dr.left, dr.top, dr.right, dr.bottom, fx->dwFillColor);
        }
        if (IsPrimary())
            PresentSurface(PresentationWindow(), bitmap_, dc_, dr, POINT{dr.left, dr.top}, false);
        return DD_OK;
    }
    auto* s = static_cast<Surface*>(src);
    if (!s || s->IsDepth() || IsDepth()) return DDERR_INVALIDPARAMS;
    RECT sr{0, 0, s->Width(), s->Height()};
    if (srcRect) sr = *srcRect;
    if (!s->ValidRect(sr)) return DDERR_INVALIDRECT;
    const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    if (dw <= 0 || dh <= 0) return DDERR_INVALIDRECT;
    if (IsPrimary()) {
        // The window shows the source directly; the primary's memory keeps a copy.
        PresentSurface(PresentationWindow(), s->bitmap_, s->dc_, sr, POINT{screen.left, screen.top},
                       false);
        return DD_OK;
    }
    if (!ValidRect(dr)) return DDERR_INVALIDRECT;
    const bool keyed = (flags & DDBLT_KEYSRC) != 0;
    if (keyed && !s->srcKeySet_) return DDERR_NOCOLORKEY;
    const uint32_t lo = s->srcKey_.dwColorSpaceLowValue, hi = s->srcKey_.dwColorSpaceHighValue;
    const int sb = s->bytesPerPixel_, db = bytesPerPixel_;
    const bool sameFormat = s->format_ == format_;
    for (int y = 0; y < dh; ++y) {
        const int sy = sr.top + static_cast<int>(static_cast<int64_t>(y) * sh / dh);
        const uint8_t* srow = s->bits_ + static_cast<size_t>(sy) * s->desc_.lPitch;
        uint8_t* drow = bits_ + static_cast<size_t>(dr.top + y) * desc_.lPitch;
        if (!keyed && sameFormat && sw == dw && s != this) {
            std::memcpy(drow + dr.left * db, srow + sr.left * sb, static_cast<size_t>(dw) * db);
            continue;
        }
        // A keyed copy without stretching: the same pixels in the same order, without the
        // per-pixel division and format dispatch.
        if (keyed && sameFormat && sw == dw) {
            if (db == 2)
                KeyedRow<uint16_t>(srow, sr.left, drow, dr.left, dw, lo, hi);
            else
                KeyedRow<uint32_t>(srow, sr.left, drow, dr.left, dw, lo, hi);
            continue;
        }
        for (int x = 0; x < dw; ++x) {
            const int sx = sr.left + static_cast<int>(static_cast<int64_t>(x) * sw / dw);
            uint32_t v = ReadPixel(srow, sx, sb);
            if (sb == 4) v &= 0xFFFFFF;
            if (keyed && v >= lo && v <= hi) continue;
            if (!sameFormat) v = PackColor(format_, UnpackColor(s->format_, v));
            WritePixel(drow, dr.left + x, db, v);
        }
    }
    return DD_OK;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD trans) {
    auto* s = static_cast<Surface*>(src);
    if (!s) return DDERR_INVALIDPARAMS;
    RECT sr{0, 0, s->Width(), s->Height()};
    if (srcRect) sr = *srcRect;
    RECT dr{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x) + (sr.right - sr.left),
            static_cast<LONG>(y) + (sr.bottom - sr.top)};
    return Blt(&dr, src, &sr, (trans & DDBLTFAST_SRCCOLORKEY) ? DDBLT_KEYSRC : 0, nullptr);
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE, DWORD flags) {
    if (!IsPrimary() || !back_) return DDERR_NOTFLIPPABLE;
    // A flip told to wait shows the new picture at the display's refresh, sleeping till then.
    if (flags & DDFLIP_WAIT) WaitForDisplayRefresh();
    // The back buffer becomes visible; it keeps its pixels for the next frame.
    Image from = back_->AsImage();
    const size_t rowBytes = static_cast<size_t>(std::min(Width(), back_->Width())) * bytesPerPixel_;
    if (back_->format_ == format_) {
        for (int y = 0; y < std::min(Height(), back_->Height()); ++y)
            std::memcpy(bits_ + static_cast<size_t>(y) * desc_.lPitch,
                        from.bits + static_cast<size_t>(y) * from.pitch, rowBytes);
    }
    // Full screen: the window's client area is the screen.
    PresentSurface(PresentationWindow(), bitmap_, dc_, RECT{0, 0, Width(), Height()}, POINT{0, 0},
                   true);
    return DD_OK;
}

HRESULT Surface::GetHandle(LPDIRECT3DDEVICE2 device, LPD3DTEXTUREHANDLE handle) {
    if (!device || !handle) return DDERR_INVALIDPARAMS;
    if (!handle_) handle_ = RegisterTextureHandle(this);
    *handle = handle_;
    return D3D_OK;
}

HRESULT Surface::PaletteChanged(DWORD, DWORD) { return D3D_OK; }

HRESULT Surface::Load(LPDIRECT3DTEXTURE2 source) {
    auto* s = static_cast<Surface*>(source);
    if (!s) return DDERR_INVALIDPARAMS;
    if (s->Width() != Width() || s->Height() != Height() || s->format_ != format_)
        return D3DERR_TEXTURE_LOAD_FAILED;
    const size_t rowBytes = static_cast<size_t>(Width()) * bytesPerPixel_;
    for (int y = 0; y < Height(); ++y)
        std::memcpy(bits_ + static_cast<size_t>(y) * desc_.lPitch,
                    s->bits_ + static_cast<size_t>(y) * s->desc_.lPitch, rowBytes);
    return D3D_OK;
}

// ---------------------------------------------------------------- Clipper, Palette

HRESULT Clipper::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawClipper) {
        *out = this;
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
HRESULT Clipper::GetHWnd(HWND* out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = hwnd;
    return DD_OK;
}
HRESULT Clipper::SetHWnd(DWORD, HWND w) {
    hwnd = w;
    return DD_OK;
}

Palette::Palette(DWORD caps, const PALETTEENTRY* entries) : caps_(caps) {
    size_ = (caps & DDPCAPS_4BIT) ? 16 : 256;
    std::memset(entries_, 0, sizeof entries_);
    if (entries) std::memcpy(entries_, entries, sizeof(PALETTEENTRY) * size_);
}
HRESULT Palette::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawPalette) {
        *out = this;
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
HRESULT Palette::GetCaps(LPDWORD caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
}
HRESULT Palette::GetEntries(DWORD, DWORD base, DWORD count, LPPALETTEENTRY entries) {
    if (!entries || base + count > static_cast<DWORD>(size_)) return DDERR_INVALIDPARAMS;
    std::memcpy(entries, entries_ + base, sizeof(PALETTEENTRY) * count);
    return DD_OK;
}
HRESULT Palette::SetEntries(DWORD, DWORD start, DWORD count, LPPALETTEENTRY entries) {
    if (!entries || start + count > static_cast<DWORD>(size_)) return DDERR_INVALIDPARAMS;
    std::memcpy(entries_ + start, entries, sizeof(PALETTEENTRY) * count);
    return DD_OK;
}

// ---------------------------------------------------------------- DirectDraw

DirectDraw::DirectDraw(bool accelerator) : accelerator_(accelerator) {}

DirectDraw::~DirectDraw() {
    if (modeSet_) RestoreDisplayMode();
}

HRESULT DirectDraw::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDraw) {
        *out = static_cast<IDirectDraw*>(this);
    } else if (riid == IID_IDirectDraw2) {
        *out = static_cast<IDirectDraw2*>(this);
    } else if (riid == IID_IDirect3D2) {
        *out = CreateDirect3D(this);
        return *out ? S_OK : E_OUTOFMEMORY;
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG DirectDraw::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG DirectDraw::Release() {
    const int left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT DirectDraw::CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
    if (!out || outer) return DDERR_INVALIDPARAMS;
    *out = new Clipper();
    return DD_OK;
}

HRESULT DirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* out,
                                  IUnknown* outer) {
    if (!out || outer || !(flags & (DDPCAPS_4BIT | DDPCAPS_8BIT))) return DDERR_INVALIDPARAMS;
    *out = new Palette(flags, entries);
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* out, IUnknown* outer) {
    if (!desc || !out || outer || !(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;
    DDSURFACEDESC d = *desc;
    const DWORD caps = d.ddsCaps.dwCaps;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        const DisplayMode mode = CurrentDisplayMode();
        const bool chain = (caps & DDSCAPS_FLIP) != 0;
        if (chain && (!exclusive_ || !(caps & DDSCAPS_COMPLEX) ||
                      !(d.dwFlags & DDSD_BACKBUFFERCOUNT) || d.dwBackBufferCount != 1))
            return chain && !exclusive_ ? DDERR_NOEXCLUSIVEMODE : DDERR_INVALIDCAPS;
        d.dwWidth = static_cast<DWORD>(mode.width);
        d.dwHeight = static_cast<DWORD>(mode.height);
        d.dwFlags &= ~DDSD_PIXELFORMAT;
        d.ddsCaps.dwCaps |= DDSCAPS_VISIBLE | (chain ? DDSCAPS_FRONTBUFFER : 0);
        const Format f = FormatForBpp(mode.bpp);
        auto* primary = new Surface(this, d, f, 0);
        if (chain) {
            DDSURFACEDESC b = d;
            b.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
            b.ddsCaps.dwCaps = (caps & (DDSCAPS_3DDEVICE | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                                        DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY)) |
                               DDSCAPS_BACKBUFFER;
            primary->AttachBackBuffer(new Surface(this, b, f, 0));
        }
        *out = primary;
        return DD_OK;
    }
    if (!(d.dwFlags & DDSD_WIDTH) || !(d.dwFlags & DDSD_HEIGHT) || d.dwWidth == 0 ||
        d.dwHeight == 0 || d.dwWidth > 4096 || d.dwHeight > 4096)
        return DDERR_INVALIDPARAMS;
    if (caps & DDSCAPS_ZBUFFER) {
        DWORD bits = 0;
        if (d.dwFlags & DDSD_ZBUFFERBITDEPTH)
            bits = d.dwZBufferBitDepth;
        else if ((d.dwFlags & DDSD_PIXELFORMAT) && (d.ddpfPixelFormat.dwFlags & DDPF_ZBUFFER))
            bits = d.ddpfPixelFormat.dwZBufferBitDepth;
        if (bits != 16 && bits != 24 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
        *out = new Surface(this, d, Format::RGB565, static_cast<int>(bits));
        return DD_OK;
    }
    Format f = FormatForBpp(CurrentDisplayMode().bpp);
    if ((d.dwFlags & DDSD_PIXELFORMAT) && !FormatFromPixelFormat(d.ddpfPixelFormat, f))
        return DDERR_INVALIDPIXELFORMAT;
    *out = new Surface(this, d, f, 0);
    return DD_OK;
}

HRESULT DirectDraw::GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) {
    auto fill = [&](LPDDCAPS c, bool hardware) {
        if (!c) return;
        const DWORD size = c->dwSize ? c->dwSize : sizeof(DDCAPS);
        std::memset(c, 0, std::min<size_t>(size, sizeof(DDCAPS)));
        c->dwSize = size;
        c->dwCaps = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY;
        c->dwCKeyCaps = DDCKEYCAPS_SRCBLT;
        c->dwPalCaps = DDPCAPS_4BIT | DDPCAPS_8BIT;
        c->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP |
                            DDSCAPS_SYSTEMMEMORY | DDSCAPS_ZBUFFER;
        if (hardware) {
            c->dwCaps |= DDCAPS_3D;
            c->ddsCaps.dwCaps |= DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
            c->dwVidMemTotal = c->dwVidMemFree = 32u << 20;
        }
    };
    if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
    fill(driverCaps, accelerator_);
    fill(emulationCaps, false);
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    const DisplayMode m = CurrentDisplayMode();
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
    desc->dwWidth = static_cast<DWORD>(m.width);
    desc->dwHeight = static_cast<DWORD>(m.height);
    const Format f = FormatForBpp(m.bpp);
    desc->lPitch = m.width * BytesPerPixel(f);
    DescribeFormat(f, desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    if (!modeSet_) return DD_OK;
    modeSet_ = false;
    {
        std::lock_guard<std::mutex> lock(gDisplayLock);
        gModeSet = false;
    }
    SetScreenMode(0, 0, 0);
    return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND hwnd, DWORD flags) {
    const bool full = (flags & DDSCL_FULLSCREEN) != 0, excl = (flags & DDSCL_EXCLUSIVE) != 0;
    if (full != excl) return DDERR_INVALIDPARAMS;
    if (!full && !(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
    if (full && !hwnd) return DDERR_INVALIDPARAMS;
    hwnd_ = hwnd;
    exclusive_ = full;
    levelSet_ = true;
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bpp) {
    return SetDisplayMode(width, height, bpp, 0, 0);
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD, DWORD) {
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    bool known = false;
    for (const ModeEntry& m : kModes)
        known =
            known || (m.width == static_cast<int>(width) && m.height == static_cast<int>(height));
    if (!known || bpp != 16) return DDERR_INVALIDMODE;
    {
        std::lock_guard<std::mutex> lock(gDisplayLock);
        gModeSet = true;
        gMode = DisplayMode{static_cast<int>(width), static_cast<int>(height), 16};
    }
    modeSet_ = true;
    SetScreenMode(static_cast<int>(width), static_cast<int>(height), 16);
    return DD_OK;
}

HRESULT DirectDraw::GetAvailableVidMem(LPDDSCAPS, LPDWORD total, LPDWORD free) {
    if (total) *total = accelerator_ ? 32u << 20 : 0;
    if (free) *free = accelerator_ ? 32u << 20 : 0;
    return DD_OK;
}

}  // namespace soft3d

using soft3d::DirectDraw;

WINBASEAPI HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW* out, IUnknown* outer) {
    if (!out || outer) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    bool accelerator = false;
    if (guid) {
        if (!soft3d::SameGuid(guid, soft3d::kAcceleratorGuid) || soft3d::Refusal() >= 1)
            return DDERR_INVALIDOBJECT;
        accelerator = true;
    }
    *out = static_cast<IDirectDraw*>(new DirectDraw(accelerator));
    return DD_OK;
}

WINBASEAPI HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    char primaryDesc[] = "Primary Display Driver";
    char primaryName[] = "display";
    if (!callback(nullptr, primaryDesc, primaryName, context)) return DD_OK;
    if (soft3d::Refusal() >= 1) return DD_OK;
    GUID g = soft3d::kAcceleratorGuid;
    char accDesc[] = "3D Accelerator";
    char accName[] = "accel3d";
    callback(&g, accDesc, accName, context);
    return DD_OK;
}

WINBASEAPI void WynPlat_SetDirect3DRefusal(int level) { soft3d::gRefusal.store(level); }
