// 10,000 small lit, textured, z-tested triangles into an 800x600 RGB565 target with a 16-bit
// depth buffer, each frame cleared first: through the software Direct3D (one DrawPrimitive per
// triangle, as the raster driver sends them, with its render states), and through Mesa's
// llvmpipe on one thread (OSMesa, one vertex-array draw). Each is reported in milliseconds
// and as a multiple of clearing the target with memset ("x_memset"). The same scene again
// with vertex fog on (each vertex its own fog factor, as the raster driver draws every frame)
// gives the second ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "d3d.h"

#ifdef WYN_HAVE_OSMESA
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/osmesa.h>
#endif

namespace {

// <chrono> does not build with the project's Shift-JIS execution character set. Processor
// time of the process: both renderers run on the calling thread, and a busy machine's other
// work does not count against either.
double Now() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

constexpr int kW = 800, kH = 600, kTris = 10000, kTex = 64;

std::vector<D3DTLVERTEX> MakeTriangles() {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> px(4.0f, kW - 20.0f), py(4.0f, kH - 20.0f);
    std::uniform_real_distribution<float> off(0.0f, 14.0f), z(0.05f, 0.95f), w(0.6f, 1.0f);
    std::uniform_real_distribution<float> uv(0.0f, 2.0f);
    std::uniform_int_distribution<int> c(64, 255);
    std::vector<D3DTLVERTEX> v;
    v.reserve(kTris * 3);
    for (int t = 0; t < kTris; ++t) {
        const float x = px(rng), y = py(rng), depth = z(rng);
        const float u0 = uv(rng), v0 = uv(rng);
        const float dx[3] = {0, 6 + off(rng), off(rng)}, dy[3] = {0, off(rng), 6 + off(rng)};
        for (int i = 0; i < 3; ++i) {
            D3DTLVERTEX p;
            p.sx = x + dx[i];
            p.sy = y + dy[i];
            p.sz = depth + 0.01f * i;
            p.rhw = w(rng);
            p.color = RGBA_MAKE(c(rng), c(rng), c(rng), 255);
            // The fog factor, used only with fog on.
            p.specular = static_cast<DWORD>((t * 37 + i * 91) % 256) << 24;
            p.tu = u0 + dx[i] / 16.0f;
            p.tv = v0 + dy[i] / 16.0f;
            v.push_back(p);
        }
    }
    return v;
}

const std::vector<D3DTLVERTEX>& Triangles() {
    static const std::vector<D3DTLVERTEX> v = MakeTriangles();
    return v;
}

uint16_t Texel(int x, int y) { return ((x / 8 + y / 8) % 2) ? 0xF81F : 0x07E0 | (x & 31); }

// Seconds per memset of the 16-bit target, the unit both results are given in.
double MemsetSeconds() {
    static double seconds = [] {
        std::vector<uint16_t> target(kW * kH);
        double best = 1e9;
        for (int rep = 0; rep < 200; ++rep) {
            const double t0 = Now();
            std::memset(target.data(), rep & 0xFF, target.size() * 2);
            benchmark::DoNotOptimize(target.data());
            benchmark::ClobberMemory();
            best = std::min(best, Now() - t0);
        }
        return best;
    }();
    return seconds;
}

double gSoft3DSeconds[2] = {}, gMesaSeconds[2] = {};
constexpr DWORD kFogColor = 0x8090A0;

void Report(benchmark::State& state, double seconds, int frames) {
    const double perFrame = seconds / frames;
    state.counters["ms"] = perFrame * 1e3;
    state.counters["x_memset"] = perFrame / MemsetSeconds();
}

void BM_Memset800x600x16(benchmark::State& state) {
    std::vector<uint16_t> target(kW * kH);
    for (auto _ : state) {
        std::memset(target.data(), 0, target.size() * 2);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memset800x600x16);

template <class T>
void Check(T r, const char* what) {
    if (r != 0) {
        std::fprintf(stderr, "%s failed: %lx\n", what, static_cast<long>(r));
        std::abort();
    }
}

void BM_Soft3D(benchmark::State& state) {
    const bool fog = state.range(0) != 0;
    IDirectDraw* dd = nullptr;
    Check(DirectDrawCreate(nullptr, &dd, nullptr), "DirectDrawCreate");
    Check(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), "SetCooperativeLevel");
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = kW;
    d.dwHeight = kH;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    d.ddpfPixelFormat.dwSize = sizeof d.ddpfPixelFormat;
    d.ddpfPixelFormat.dwFlags = DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRBitMask = 0xF800;
    d.ddpfPixelFormat.dwGBitMask = 0x07E0;
    d.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface *target = nullptr, *depth = nullptr, *tex = nullptr;
    Check(dd->CreateSurface(&d, &target, nullptr), "target");
    DDSURFACEDESC z{};
    z.dwSize = sizeof z;
    z.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
    z.dwWidth = kW;
    z.dwHeight = kH;
    z.dwZBufferBitDepth = 16;
    z.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
    Check(dd->CreateSurface(&z, &depth, nullptr), "depth");
    Check(target->AddAttachedSurface(depth), "attach");
    d.dwWidth = d.dwHeight = kTex;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    Check(dd->CreateSurface(&d, &tex, nullptr), "texture");
    DDSURFACEDESC lock{};
    lock.dwSize = sizeof lock;
    Check(tex->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr), "lock");
    for (int y = 0; y < kTex; ++y)
        for (int x = 0; x < kTex; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(lock.lpSurface) +
                                        y * lock.lPitch)[x] = Texel(x, y);
    tex->Unlock(nullptr);
    IDirect3D2* d3d = nullptr;
    Check(dd->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d)), "IDirect3D2");
    IDirect3DDevice2* dev = nullptr;
    Check(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &dev), "device");
    IDirect3DViewport2* vp = nullptr;
    Check(d3d->CreateViewport(&vp, nullptr), "viewport");
    Check(dev->AddViewport(vp), "AddViewport");
    D3DVIEWPORT2 v{};
    v.dwSize = sizeof v;
    v.dwWidth = kW;
    v.dwHeight = kH;
    v.dvMaxZ = 1;
    Check(vp->SetViewport2(&v), "SetViewport2");
    Check(dev->SetCurrentViewport(vp), "SetCurrentViewport");
    IDirect3DTexture2* t2 = nullptr;
    Check(tex->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&t2)), "texture2");
    D3DTEXTUREHANDLE handle = 0;
    Check(t2->GetHandle(dev, &handle), "handle");
    // The raster driver's states.
    dev->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
    dev->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
    dev->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
    dev->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
    dev->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    dev->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, handle);
    dev->SetRenderState(D3DRENDERSTATE_FOGENABLE, fog);
    dev->SetRenderState(D3DRENDERSTATE_FOGCOLOR, kFogColor);
    std::vector<D3DTLVERTEX> tris = Triangles();
    D3DRECT all{0, 0, kW, kH};
    double seconds = 0;
    int frames = 0;
    for (auto _ : state) {
        const double t0 = Now();
        vp->Clear(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
        dev->BeginScene();
        for (int i = 0; i < kTris; ++i)
            dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, &tris[i * 3], 3,
                               D3DDP_WAIT | D3DDP_DONOTUPDATEEXTENTS);
        dev->EndScene();
        seconds += Now() - t0;
        ++frames;
    }
    Report(state, seconds, frames);
    gSoft3DSeconds[fog] = seconds / frames;
    t2->Release();
    vp->Release();
    dev->Release();
    d3d->Release();
    tex->Release();
    depth->Release();
    target->Release();
    dd->Release();
}
BENCHMARK(BM_Soft3D)->Unit(benchmark::kMillisecond)->ArgName("fog")->Arg(0)->Arg(1);

#ifdef WYN_HAVE_OSMESA
void BM_LlvmpipeOneThread(benchmark::State& state) {
    const bool fog = state.range(0) != 0;
    OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGB_565, 16, 0, 0, nullptr);
    if (!ctx) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    std::vector<uint16_t> buffer(kW * kH);
    if (!OSMesaMakeCurrent(ctx, buffer.data(), GL_UNSIGNED_SHORT_5_6_5, kW, kH)) {
        state.SkipWithError("OSMesaMakeCurrent failed");
        OSMesaDestroyContext(ctx);
        return;
    }
    std::vector<uint16_t> texels(kTex * kTex);
    for (int y = 0; y < kTex; ++y)
        for (int x = 0; x < kTex; ++x) texels[y * kTex + x] = Texel(x, y);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kTex, kTex, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_CULL_FACE);
    // Vertex fog by a per-vertex coordinate: linear from 0 to 1, so that the fog coordinate
    // 1 - f gives the colour f·c + (1 - f)·fog.
    if (fog) {
        const GLfloat fogColor[4] = {((kFogColor >> 16) & 255) / 255.0f,
                                     ((kFogColor >> 8) & 255) / 255.0f, (kFogColor & 255) / 255.0f,
                                     1.0f};
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 1.0f);
        glFogfv(GL_FOG_COLOR, fogColor);
        glFogi(GL_FOG_COORDINATE_SOURCE, GL_FOG_COORDINATE);
    }
    glViewport(0, 0, kW, kH);
    // Screen pixels (centres at integers, y down) and z in [0, 1] to clip space.
    const GLfloat proj[16] = {
        2.0f / kW, 0, 0, 0, 0, -2.0f / kH, 0, 0, 0, 0, 2, 0, -1 + 1.0f / kW, 1 - 1.0f / kH, -1, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(proj);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The same vertices: position times w so that the division gives the screen position back
    // and the texture is interpolated with the same 1/w.
    const std::vector<D3DTLVERTEX>& tris = Triangles();
    std::vector<GLfloat> pos, uv;
    std::vector<GLubyte> col;
    std::vector<GLfloat> fogCoord;
    for (const D3DTLVERTEX& v : tris) {
        fogCoord.push_back(1.0f - RGBA_GETALPHA(v.specular) / 255.0f);
        const float w = 1.0f / v.rhw;
        pos.insert(pos.end(), {v.sx * w, v.sy * w, v.sz * w, w});
        uv.insert(uv.end(), {v.tu, v.tv});
        col.insert(col.end(), {GLubyte(RGBA_GETRED(v.color)), GLubyte(RGBA_GETGREEN(v.color)),
                               GLubyte(RGBA_GETBLUE(v.color)), GLubyte(RGBA_GETALPHA(v.color))});
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(4, GL_FLOAT, 0, pos.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, col.data());
    glTexCoordPointer(2, GL_FLOAT, 0, uv.data());
    if (fog) {
        glEnableClientState(GL_FOG_COORDINATE_ARRAY);
        glFogCoordPointer(GL_FLOAT, 0, fogCoord.data());
    }
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    double seconds = 0;
    int frames = 0;
    for (auto _ : state) {
        const double t0 = Now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, kTris * 3);
        glFinish();
        seconds += Now() - t0;
        ++frames;
    }
    Report(state, seconds, frames);
    gMesaSeconds[fog] = seconds / frames;
    glDeleteTextures(1, &tex);
    OSMesaDestroyContext(ctx);
}
BENCHMARK(BM_LlvmpipeOneThread)->Unit(benchmark::kMillisecond)->ArgName("fog")->Arg(0)->Arg(1);
#endif

}  // namespace

int main(int argc, char** argv) {
    // llvmpipe on the calling thread only, so both renderers use one core.
    setenv("LP_NUM_THREADS", "0", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    for (int fog = 0; fog < 2; ++fog)
        if (gSoft3DSeconds[fog] > 0 && gMesaSeconds[fog] > 0)
            std::printf("soft3d / llvmpipe (one thread)%s = %.2f (goal at most 0.5)\n",
                        fog ? ", fog on" : "", gSoft3DSeconds[fog] / gMesaSeconds[fog]);
    benchmark::Shutdown();
    return 0;
}
