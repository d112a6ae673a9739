// Start-up, stage reset and shutdown: what lives for the whole run is taken in GameInit and
// given back in GameEnd, which reports anything left.
#include <cstdlib>
#include <cstring>
#include <string>

#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "tov42.h"
#include "world/world.h"

namespace {

SYSTEMTIME g_starttime;

// The engine's chip capacity by resolution; the night's lights take more.
int ChipCapacity(const GameConfig& c, int night) {
    int chips = c.resolution == 1 ? 8468 : (c.resolution == 2 ? 8588 : 11308);
    if (c.exresolution != 0) chips = 11308;
    return chips + (night ? 2000 : 0);
}

template <typename T>
T* Alloc(const char* caption) {
    return static_cast<T*>(MemAlloc(sizeof(T), caption));
}

constexpr const char* kPhraseCaptions[kPhraseBlocks] = {"ATC文字列情報E", "ATC文字列情報J",
                                                        "館内放送文字列情報J"};

}  // namespace

int GetHomeDirectory() {
    FrameHandles& f = Handles();
    ScreenInfo& s = f.screeninfo;
    s.width = GetSystemMetrics(SM_CXSCREEN);
    s.height = GetSystemMetrics(SM_CYSCREEN);
    s.fullscreen = s.width == 800 && s.height == 600;
    s.framecx = 2 * GetSystemMetrics(SM_CXBORDER) + 4;
    s.framecy = 2 * GetSystemMetrics(SM_CYBORDER) + 4 + GetSystemMetrics(SM_CYCAPTION);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    if (char* slash = std::strrchr(path, '\\'))
        slash[1] = 0;
    else
        path[0] = 0;
    std::strcpy(f.homedir, path);
    f.quitbyuser = 0;
    f.stagecleared = 0;
    return 1;
}

int GameInit() {
    FrameHandles& f = Handles();
    GameConfig& c = GetConfig();
    ReadConfig();

    LoadScenarioImage();
    if (!GetObjectTable()) {
        if (auto* t = Alloc<ObjectTable>("オブジェメモリ取得")) {
            std::memset(t->data(), 0, sizeof *t);
            SetObjectTable(t);
        }
    }
    if (!GetAircraftTable()) {
        if (auto* t = Alloc<AircraftTable>("航空機メモリ取得")) {
            std::memset(t->data(), 0, sizeof *t);
            SetAircraftTable(t);
        }
    }
    ReadScenarioFile();
    const int night = GetScenarioHeader().night;

    f.engine = KRN_Start(f.viewwnd, ChipCapacity(c, night));
    if (!f.engine) return 0;
    f.root = KRNL_Start(f.engine);
    f.screen = ZEM_Start(ZEM_START_DEPTH16, f.mainwnd, 800, 600, 1600, 600);
    if (f.screen) {
        // The left half shows; the right half keeps the clean background of the sprites.
        const RECT area{0, 0, 800, 600}, background{800, 0, 1600, 600};
        SpriteInit(f.screen, &area, &background);
        ZEM_MaskFlag(f.screen, 0);
    }
    if (c.through)
        KRN_Through(f.engine, 300.0, 120);
    else
        KRN_Through(f.engine, 0.0, 0);

    int failed = 0;
    if (!TOV_Start2(f.mainwnd, c.dsound ? 16 : 4, &failed, 0)) {
        KRNL_End(f.root);
        KRN_End(f.engine);
        if (f.screen) ZEM_End(f.screen);
        f.root = nullptr;
        f.engine = nullptr;
        f.screen = nullptr;
        return 0;
    }
    int count = 0, bytes = 0, prequeued = 0;
    TOV_GetWaveBufferInfo(&count, &bytes, &prequeued);
    TOV_SetWaveBufferInfo(count, 8192, prequeued);

    // The view starts docked.
    if (f.viewwnd) SetWindowPos(f.viewwnd, nullptr, 0, 200, 800, 200, SWP_NOZORDER);
    View().viewrect = RECT{0, 0, 800, 200};
    GameViewPort(View().viewrect);

    VoiceInit(f.mainwnd, (std::string(f.homedir) + "VOICE\\").c_str());

    SetResourceFlag(RESOURCE_ENGINE, 1);
    SetResourceFlag(RESOURCE_SOUND, 1);
    SetResourceFlag(RESOURCE_LAYERS, 1);
    SetAirportRecord(Alloc<AirportRecord>("空港関連情報"));
    for (int i = 0; i < kPhraseBlocks; ++i)
        SetPhraseBlock(i, static_cast<char*>(MemAlloc(kPhraseBlockSize, kPhraseCaptions[i])));
    SetSidTable(Alloc<SidTable>("空港対応SID"));
    SetResourceFlag(RESOURCE_TEXTS, 1);

    LoadGameSounds();
    srand(GetTickCount());
    GetSystemTime(&g_starttime);
    SetGamePhase(GAMEPHASE_RESET);
    return 1;
}

void StageReset() {
    if (ObjectTable* objects = GetObjectTable()) {
        for (ObjectRecord& o : *objects) {
            o.used = 0;
            o.layer = nullptr;
            o.hold = 0;
            KRN_Zero3D(&o.pos);
            KRN_Zero3D(&o.angle);
        }
    }
    if (AircraftTable* aircraft = GetAircraftTable()) {
        for (AircraftRecord& a : *aircraft)
            a.script = static_cast<uint8_t*>(MemAlloc(kScriptBufferSize, "機体用シナリオバッファ"));
        SetResourceFlag(RESOURCE_SCRIPTS, 1);
    }
    ChooseFrameClock();
    GetStripSlots().fill(-1);
    CameraReset();
}

void GameEnd() {
    FrameHandles& f = Handles();
    FreeGameSounds();
    if (HasResourceFlag(RESOURCE_AIRPORT)) {
        for (int slot = 9; slot >= 0; --slot) DeleteObject(slot);
        DeleteObject(kObjectAirport);
        SetResourceFlag(RESOURCE_AIRPORT, 0);
    }
    FreeScenario();
    if (HasResourceFlag(RESOURCE_TEXTS)) {
        MemFree(GetAirportRecord(), "空港データ");
        MemFree(GetPhraseBlock(PHRASE_ANNOUNCE), "館内放送文字列");
        MemFree(GetPhraseBlock(PHRASE_ENGLISH), "ATC文字列E");
        MemFree(GetPhraseBlock(PHRASE_JAPANESE), "ATC文字列J");
        MemFree(GetSidTable(), "対象空港SID");
        SetAirportRecord(nullptr);
        for (int i = 0; i < kPhraseBlocks; ++i) SetPhraseBlock(i, nullptr);
        SetSidTable(nullptr);
        SetResourceFlag(RESOURCE_TEXTS, 0);
    }
    if (HasResourceFlag(RESOURCE_OBJECT0_LAYER)) {
        if (ObjectTable* objects = GetObjectTable()) KRNL_DeleteLayer((*objects)[0].layer, 1);
        SetResourceFlag(RESOURCE_OBJECT0_LAYER, 0);
    }
    if (HasResourceFlag(RESOURCE_SOUND)) {
        VoiceEnd();
        TOV_End2();
        SetResourceFlag(RESOURCE_SOUND, 0);
    }
    if (HasResourceFlag(RESOURCE_LAYERS)) {
        KRNL_End(f.root);
        f.root = nullptr;
        SetResourceFlag(RESOURCE_LAYERS, 0);
    }
    if (HasResourceFlag(RESOURCE_ENGINE)) {
        KRN_End(f.engine);
        if (f.screen) ZEM_End(f.screen);
        f.engine = nullptr;
        f.screen = nullptr;
        if (GetConfig().winlayout == 1 || GetConfig().winlayout == 2) {
            if (f.viewwnd) DestroyWindow(f.viewwnd);
            f.viewwnd = nullptr;
        }
        SetResourceFlag(RESOURCE_ENGINE, 0);
    }
    if (HasResourceFlag(RESOURCE_SCRIPTS)) {
        if (AircraftTable* aircraft = GetAircraftTable())
            for (AircraftRecord& a : *aircraft) {
                MemFree(a.script, "機体用シナリオBUF開放");
                a.script = nullptr;
            }
        SetResourceFlag(RESOURCE_SCRIPTS, 0);
    }
    MemFree(GetAircraftTable(), "航空機データ解放");
    SetAircraftTable(nullptr);
    MemFree(GetObjectTable(), "オブジェクトデータ解放");
    SetObjectTable(nullptr);
    TraceRegistries();
    if (!CheckAllFreed()) MessageBoxA(f.mainwnd, "終了時に問題あり。", "終了時に問題あり。", MB_OK);
}
