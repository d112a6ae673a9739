// Direct3D immediate mode: device enumeration (the hardware device and the emulation
// devices, all drawn by the one rasterizer), texture formats, viewports, render states and
// DrawPrimitive of transformed and lit vertices.
#include <cstring>
#include <mutex>

#include "soft3d/objects.h"

namespace soft3d {
namespace {

// ---- texture handles ----
std::mutex gHandleLock;
std::vector<Surface*> gHandles;  // handle n names gHandles[n - 1]

class Device;

class Viewport final : public Counted<IDirect3DViewport2> {
  public:
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DViewport ||
            riid == IID_IDirect3DViewport2) {
            *out = static_cast<IDirect3DViewport2*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT GetViewport(LPD3DVIEWPORT data) override {
        if (!data) return DDERR_INVALIDPARAMS;
        std::memset(data, 0, sizeof *data);
        data->dwSize = sizeof *data;
        data->dwX = vp_.dwX;
        data->dwY = vp_.dwY;
        data->dwWidth = vp_.dwWidth;
        data->dwHeight = vp_.dwHeight;
        data->dvMinZ = vp_.dvMinZ;
        data->dvMaxZ = vp_.dvMaxZ;
        return D3D_OK;
    }
    HRESULT SetViewport(LPD3DVIEWPORT data) override {
        if (!data) return DDERR_INVALIDPARAMS;
        vp_.dwX = data->dwX;
        vp_.dwY = data->dwY;
        vp_.dwWidth = data->dwWidth;
        vp_.dwHeight = data->dwHeight;
        vp_.dvMinZ = data->dvMinZ;
        vp_.dvMaxZ = data->dvMaxZ;
        return D3D_OK;
    }
    HRESULT GetViewport2(LPD3DVIEWPORT2 data) override {
        if (!data) return DDERR_INVALIDPARAMS;
        *data = vp_;
        return D3D_OK;
    }
    HRESULT SetViewport2(LPD3DVIEWPORT2 data) override {
        if (!data) return DDERR_INVALIDPARAMS;
        vp_ = *data;
        vp_.dwSize = sizeof vp_;
        return D3D_OK;
    }
    HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags) override;

    // The rectangle drawing is clipped to.
    void ClipRect(int& l, int& t, int& r, int& b) const {
        l = static_cast<int>(vp_.dwX);
        t = static_cast<int>(vp_.dwY);
        r = l + static_cast<int>(vp_.dwWidth);
        b = t + static_cast<int>(vp_.dwHeight);
    }
    Device* device = nullptr;  // the device it was added to (not a reference)

  private:
    D3DVIEWPORT2 vp_{sizeof(D3DVIEWPORT2), 0, 0, 0, 0, -1.0f, 1.0f, 2.0f, 2.0f, 0.0f, 1.0f};
};

class Direct3D;

class Device final : public Counted<IDirect3DDevice2> {
  public:
    Device(Direct3D* d3d, Surface* target, bool hardware);
    ~Device();
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DDevice2) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT GetCaps(LPD3DDEVICEDESC hardwareDesc, LPD3DDEVICEDESC emulationDesc) override;
    HRESULT AddViewport(LPDIRECT3DVIEWPORT2 viewport) override {
        auto* v = static_cast<Viewport*>(viewport);
        if (!v) return DDERR_INVALIDPARAMS;
        if (v->device == this) return D3D_OK;
        v->AddRef();
        v->device = this;
        viewports_.push_back(v);
        return D3D_OK;
    }
    HRESULT DeleteViewport(LPDIRECT3DVIEWPORT2 viewport) override {
        auto* v = static_cast<Viewport*>(viewport);
        for (size_t i = 0; i < viewports_.size(); ++i) {
            if (viewports_[i] == v) {
                viewports_.erase(viewports_.begin() + static_cast<ptrdiff_t>(i));
                if (current_ == v) current_ = nullptr;
                v->device = nullptr;
                v->Release();
                return D3D_OK;
            }
        }
        return DDERR_INVALIDPARAMS;
    }
    HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, LPVOID context) override;
    HRESULT BeginScene() override {
        if (inScene_) return D3DERR_SCENE_IN_SCENE;
        inScene_ = true;
        return D3D_OK;
    }
    HRESULT EndScene() override {
        if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
        inScene_ = false;
        return D3D_OK;
    }
    HRESULT GetDirect3D(LPDIRECT3D2* out) override;
    HRESULT SetCurrentViewport(LPDIRECT3DVIEWPORT2 viewport) override {
        auto* v = static_cast<Viewport*>(viewport);
        if (!v || v->device != this) return D3DERR_VIEWPORTHASNODEVICE;
        current_ = v;
        return D3D_OK;
    }
    HRESULT GetCurrentViewport(LPDIRECT3DVIEWPORT2* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        *out = current_;
        if (!current_) return D3DERR_NOCURRENTVIEWPORT;
        current_->AddRef();
        return D3D_OK;
    }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE* out) override {
        if (!out) return DDERR_INVALIDPARAMS;
        target_->AddRef();
        *out = target_;
        return D3D_OK;
    }
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, LPDWORD value) override {
        if (!value || state <= 0 || state >= kStates) return DDERR_INVALIDPARAMS;
        *value = states_[state];
        return D3D_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        if (state <= 0 || state >= kStates) return DDERR_INVALIDPARAMS;
        states_[state] = value;
        return D3D_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                          DWORD count, DWORD flags) override;

    Surface* Target() const { return target_; }

  private:
    static constexpr int kStates = 64;
    Direct3D* d3d_;
    Surface* target_;
    bool hardware_;
    bool inScene_ = false;
    Viewport* current_ = nullptr;
    std::vector<Viewport*> viewports_;
    DWORD states_[kStates] = {};
};

class Direct3D final : public Counted<IDirect3D2> {
  public:
    explicit Direct3D(DirectDraw* ddraw) : ddraw_(ddraw) { ddraw_->AddRef(); }
    ~Direct3D() { ddraw_->Release(); }
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3D2) {
            *out = this;
            AddRef();
            return S_OK;
        }
        if (riid == IID_IDirectDraw || riid == IID_IDirectDraw2)
            return ddraw_->QueryInterface(riid, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, LPVOID context) override;
    HRESULT CreateViewport(LPDIRECT3DVIEWPORT2* out, IUnknown* outer) override {
        if (!out || outer) return DDERR_INVALIDPARAMS;
        *out = new Viewport();
        return D3D_OK;
    }
    HRESULT CreateDevice(REFCLSID device, LPDIRECTDRAWSURFACE target,
                         LPDIRECT3DDEVICE2* out) override;

  private:
    DirectDraw* ddraw_;
};

// ---- device descriptions ----

constexpr DWORD kBlendCaps = 0x1FFF;  // every D3DBLEND factor's capability bit

D3DDEVICEDESC Describe(bool hardware, D3DCOLORMODEL model) {
    D3DDEVICEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH |
                D3DDD_DEVICEZBUFFERBITDEPTH;
    d.dcmColorModel = model;
    d.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                  D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_EXECUTESYSTEMMEMORY |
                  (hardware ? D3DDEVCAPS_TEXTUREVIDEOMEMORY : D3DDEVCAPS_TEXTURESYSTEMMEMORY);
    for (D3DPRIMCAPS* p : {&d.dpcLineCaps, &d.dpcTriCaps}) {
        p->dwSize = sizeof *p;
        p->dwZCmpCaps = 1u << (D3DCMP_LESSEQUAL - 1);
        p->dwSrcBlendCaps = kBlendCaps;
        p->dwDestBlendCaps = kBlendCaps;
    }
    d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    d.dwDeviceZBufferBitDepth = hardware ? (DDBD_16 | DDBD_24 | DDBD_32) : DDBD_16;
    d.dwMinTextureWidth = d.dwMinTextureHeight = 1;
    d.dwMaxTextureWidth = d.dwMaxTextureHeight = 4096;
    return d;
}

struct DeviceEntry {
    const GUID* guid;
    const char* description;
    const char* name;
    bool hardware;
    D3DCOLORMODEL model;
};
const DeviceEntry kDevices[] = {
    {&IID_IDirect3DRampDevice, "Ramp Emulation", "Ramp Emulation", false, D3DCOLOR_MONO},
    {&IID_IDirect3DRGBDevice, "RGB Emulation", "RGB Emulation", false, D3DCOLOR_RGB},
    {&IID_IDirect3DHALDevice, "Direct3D HAL", "Direct3D HAL", true, D3DCOLOR_RGB},
    {&IID_IDirect3DMMXDevice, "MMX Emulation", "MMX Emulation", false, D3DCOLOR_RGB},
};

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK callback, LPVOID context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    if (Refusal() >= 2) return D3D_OK;
    for (const DeviceEntry& e : kDevices) {
        if (e.hardware && Refusal() >= 1) continue;
        GUID g = *e.guid;
        D3DDEVICEDESC none;
        std::memset(&none, 0, sizeof none);
        none.dwSize = sizeof none;
        D3DDEVICEDESC desc = Describe(e.hardware, e.model);
        std::string d = e.description, n = e.name;
        const HRESULT r = e.hardware ? callback(&g, d.data(), n.data(), &desc, &none, context)
                                     : callback(&g, d.data(), n.data(), &none, &desc, context);
        if (r == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID device, LPDIRECTDRAWSURFACE target,
                               LPDIRECT3DDEVICE2* out) {
    if (!out || !target) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    const DeviceEntry* entry = nullptr;
    for (const DeviceEntry& e : kDevices)
        if (device == *e.guid) entry = &e;
    if (!entry || Refusal() >= 2 || (entry->hardware && Refusal() >= 1))
        return D3DERR_INVALID_DEVICE;
    auto* s = static_cast<Surface*>(target);
    if (s->IsDepth()) return DDERR_INVALIDCAPS;
    *out = new Device(this, s, entry->hardware);
    return D3D_OK;
}

// ---- the device ----

Device::Device(Direct3D* d3d, Surface* target, bool hardware)
    : d3d_(d3d), target_(target), hardware_(hardware) {
    d3d_->AddRef();
    target_->AddRef();
    states_[D3DRENDERSTATE_TEXTUREADDRESS] = D3DTADDRESS_WRAP;
    states_[D3DRENDERSTATE_ZENABLE] = target_->AttachedDepth() ? TRUE : FALSE;
    states_[D3DRENDERSTATE_FILLMODE] = D3DFILL_SOLID;
    states_[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
    states_[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
    states_[D3DRENDERSTATE_LASTPIXEL] = TRUE;
    states_[D3DRENDERSTATE_TEXTUREMAG] = D3DFILTER_NEAREST;
    states_[D3DRENDERSTATE_TEXTUREMIN] = D3DFILTER_NEAREST;
    states_[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    states_[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    states_[D3DRENDERSTATE_TEXTUREMAPBLEND] = D3DTBLEND_MODULATE;
    states_[D3DRENDERSTATE_CULLMODE] = D3DCULL_NONE;
    states_[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    states_[D3DRENDERSTATE_SPECULARENABLE] = TRUE;
}

Device::~Device() {
    for (Viewport* v : viewports_) {
        v->device = nullptr;
        v->Release();
    }
    target_->Release();
    d3d_->Release();
}

HRESULT Device::GetCaps(LPD3DDEVICEDESC hardwareDesc, LPD3DDEVICEDESC emulationDesc) {
    const D3DDEVICEDESC d = Describe(hardware_, D3DCOLOR_RGB);
    D3DDEVICEDESC none;
    std::memset(&none, 0, sizeof none);
    none.dwSize = sizeof none;
    if (hardwareDesc) *hardwareDesc = hardware_ ? d : none;
    if (emulationDesc) *emulationDesc = hardware_ ? none : d;
    return D3D_OK;
}

HRESULT Device::EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, LPVOID context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    for (Format f : {Format::RGB555, Format::RGB565, Format::XRGB8888}) {
        DDSURFACEDESC d;
        std::memset(&d, 0, sizeof d);
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_PIXELFORMAT;
        d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        DescribeFormat(f, d.ddpfPixelFormat);
        if (callback(&d, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
}

HRESULT Device::GetDirect3D(LPDIRECT3D2* out) {
    if (!out) return DDERR_INVALIDPARAMS;
    d3d_->AddRef();
    *out = d3d_;
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                              DWORD count, DWORD) {
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    if (vertexType != D3DVT_TLVERTEX) return D3DERR_INVALIDVERTEXTYPE;
    if (type != D3DPT_TRIANGLELIST && type != D3DPT_LINESTRIP) return D3DERR_INVALIDPRIMITIVETYPE;
    if (!vertices && count) return DDERR_INVALIDPARAMS;
    if (!current_) return D3DERR_NOCURRENTVIEWPORT;
    State st;
    st.zEnable = states_[D3DRENDERSTATE_ZENABLE] != 0;
    st.zWrite = states_[D3DRENDERSTATE_ZWRITEENABLE] != 0;
    st.blend = states_[D3DRENDERSTATE_ALPHABLENDENABLE] != 0;
    st.srcBlend = static_cast<int>(states_[D3DRENDERSTATE_SRCBLEND]);
    st.dstBlend = static_cast<int>(states_[D3DRENDERSTATE_DESTBLEND]);
    st.colorKey = states_[D3DRENDERSTATE_COLORKEYENABLE] != 0;
    st.perspective = states_[D3DRENDERSTATE_TEXTUREPERSPECTIVE] != 0;
    st.fog = states_[D3DRENDERSTATE_FOGENABLE] != 0;
    st.fogColor = states_[D3DRENDERSTATE_FOGCOLOR] & 0xFFFFFF;
    if (Surface* tex = TextureFromHandle(states_[D3DRENDERSTATE_TEXTUREHANDLE]))
        st.texture = &tex->AsTexture();
    current_->ClipRect(st.clipLeft, st.clipTop, st.clipRight, st.clipBottom);
    const Image image = target_->AsImage();
    Depth depth;
    if (Surface* z = target_->AttachedDepth()) depth = z->AsDepth();
    const auto* v = static_cast<const D3DTLVERTEX*>(vertices);
    static_assert(sizeof(D3DTLVERTEX) == sizeof(Vertex), "vertex layouts agree");
    auto vert = [&](DWORD i) {
        Vertex out;
        std::memcpy(&out, &v[i], sizeof out);
        return out;
    };
    if (type == D3DPT_TRIANGLELIST) {
        for (DWORD i = 0; i + 2 < count; i += 3)
            DrawTriangle(image, depth, st, vert(i), vert(i + 1), vert(i + 2));
    } else {
        for (DWORD i = 0; i + 1 < count; ++i) DrawLine(image, depth, st, vert(i), vert(i + 1));
    }
    return D3D_OK;
}

HRESULT Viewport::Clear(DWORD count, LPD3DRECT rects, DWORD flags) {
    if (!device) return D3DERR_VIEWPORTHASNODEVICE;
    if (count && !rects) return DDERR_INVALIDPARAMS;
    Surface* target = device->Target();
    int l, t, r, b;
    ClipRect(l, t, r, b);
    for (DWORD i = 0; i < count; ++i) {
        const int cl = std::max<int>(l, rects[i].x1), ct = std::max<int>(t, rects[i].y1);
        const int cr = std::min<int>(r, rects[i].x2), cb = std::min<int>(b, rects[i].y2);
        if (flags & D3DCLEAR_TARGET) FillImage(target->AsImage(), cl, ct, cr, cb, 0);
        if ((flags & D3DCLEAR_ZBUFFER) && target->AttachedDepth()) {
            const Depth d = target->AttachedDepth()->AsDepth();
            FillDepth(d, cl, ct, cr, cb, DepthMax(d.depthBits));
        }
    }
    return D3D_OK;
}

}  // namespace

D3DTEXTUREHANDLE RegisterTextureHandle(Surface* surface) {
    std::lock_guard<std::mutex> lock(gHandleLock);
    for (size_t i = 0; i < gHandles.size(); ++i) {
        if (!gHandles[i]) {
            gHandles[i] = surface;
            return static_cast<D3DTEXTUREHANDLE>(i + 1);
        }
    }
    gHandles.push_back(surface);
    return static_cast<D3DTEXTUREHANDLE>(gHandles.size());
}

void ForgetTextureHandle(D3DTEXTUREHANDLE handle) {
    if (!handle) return;
    std::lock_guard<std::mutex> lock(gHandleLock);
    if (handle <= gHandles.size()) gHandles[handle - 1] = nullptr;
}

Surface* TextureFromHandle(D3DTEXTUREHANDLE handle) {
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> lock(gHandleLock);
    return handle <= gHandles.size() ? gHandles[handle - 1] : nullptr;
}

IDirect3D2* CreateDirect3D(DirectDraw* ddraw) { return new Direct3D(ddraw); }

}  // namespace soft3d
