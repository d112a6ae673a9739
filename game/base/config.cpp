// The settings of config.ini and krn2.ini, and the window positions of [DISPLAYEX].
#include <algorithm>
#include <cstdio>
#include <string>
#include <strings.h>

#include "base/base.h"

namespace {

constexpr int kNotSet = -32768;

// A [DISPLAYEX] position: the stored value when set and lo < value < hi, else `def`.
struct Keys {
    const char* ini;
    int Get(const char* key, int lo, int hi, int def) const {
        const int v = GetPrivateProfileIntA("DISPLAYEX", key, kNotSet, ini);
        return v != kNotSet && lo < v && v < hi ? v : def;
    }
};

int Int(const char* section, const char* key, int def, const std::string& ini) {
    return GetPrivateProfileIntA(section, key, def, ini.c_str());
}

// The names of one set's keys, for the kind in use (ending in m with winlayout 2).
struct SetKeys {
    std::string mx, my, vx, vy, vsx, rx, ry;
};
SetKeys KeysOf(int set, bool m) {
    const std::string p = set == 0 ? "w2" : "w3";
    const std::string s = m ? "m" : "";
    return {p + "x" + s, p + "y" + s,  p + "vx" + s, p + "vy" + s,
            p + "vsx",   p + "rx" + s, p + "ry" + s};
}

int FloorTo4(int v) { return v / 4 * 4; }

}  // namespace

DisplayLayout ReadDisplayLayout(const char* ini, int w, int h, int fw, int fh, int winlayout) {
    const Keys k{ini};
    const bool m = winlayout == 2;
    DisplayLayout d{};
    const int centreX = (w - 800 - fw) / 2;
    d.w1.x = k.Get("w1x", -800, w, centreX);
    d.w1.y = k.Get("w1y", -fh, h, (h - 600 - fh) / 2);
    for (int set = 0; set < 2; ++set) {
        const SetKeys n = KeysOf(set, m);
        LayoutSet& s = d.set[set];
        const int widest = FloorTo4(w - fw);
        if (m) {
            s.viewcx = widest;
        } else {
            s.viewcx = 800;
            const int v = GetPrivateProfileIntA("DISPLAYEX", n.vsx.c_str(), kNotSet, ini);
            if (v != kNotSet) s.viewcx = std::min(std::max(v, 400), widest);
        }
        const int vh = s.viewcx / 4;
        const int mainY =
            m ? (h - 400 - 2 * fh - vh) / 2 + vh + fh : (h - 600 - 2 * fh) / 2 + fh + 200;
        int mainX = centreX;
        if (set == 1) mainX = w < 1200 ? 0 : (w - 1200 - 2 * fw) / 2;
        s.main.x = k.Get(n.mx.c_str(), -800, w, mainX);
        s.main.y = k.Get(n.my.c_str(), -fh, h, mainY);
        const POINT view =
            m ? POINT{0, (h - 400 - 2 * fh - vh) / 2} : POINT{centreX, (h - 600 - 2 * fh) / 2};
        s.view.x = k.Get(n.vx.c_str(), -s.viewcx, w, view.x);
        s.view.y = k.Get(n.vy.c_str(), -fh, h, view.y);
        if (set == 1) {
            s.radar.x = k.Get(n.rx.c_str(), -400, w, w < 1200 ? w - 400 - fw : mainX + 800 + fw);
            s.radar.y = k.Get(n.ry.c_str(), -fh, h, mainY);
        }
    }
    return d;
}

void WriteDisplayLayout(const char* ini, const DisplayLayout& now, int w, int h, int fw, int fh,
                        int winlayout) {
    const DisplayLayout stored = ReadDisplayLayout(ini, w, h, fw, fh, winlayout);
    auto put = [&](const std::string& key, int value, int old) {
        if (value == old) return;
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        WritePrivateProfileStringA("DISPLAYEX", key.c_str(), text, ini);
    };
    put("w1x", now.w1.x, stored.w1.x);
    put("w1y", now.w1.y, stored.w1.y);
    const bool m = winlayout == 2;
    for (int set = 0; set < 2; ++set) {
        const SetKeys n = KeysOf(set, m);
        const LayoutSet& a = now.set[set];
        const LayoutSet& b = stored.set[set];
        put(n.mx, a.main.x, b.main.x);
        put(n.my, a.main.y, b.main.y);
        put(n.vx, a.view.x, b.view.x);
        put(n.vy, a.view.y, b.view.y);
        if (!m) put(n.vsx, a.viewcx, b.viewcx);
        if (set == 1) {
            put(n.rx, a.radar.x, b.radar.x);
            put(n.ry, a.radar.y, b.radar.y);
        }
    }
}

void ReadConfig() {
    GameConfig& c = GetConfig();
    const std::string cfg = std::string(GetProgramFolder()) + "config.ini";
    const std::string krn = std::string(GetProgramFolder()) + "krn2.ini";
    char emulation[33];
    GetPrivateProfileStringA("MODE", "EMULATION", "hard", emulation, sizeof emulation, krn.c_str());
    c.softmode = strcasecmp(emulation, "soft") == 0;
    c.level = Int("GAME", "level", 0, cfg);
    c.radarmode = Int("GAME", "radar", 0, cfg);
    c.radarlarge = Int("DISPLAY", "radarL", 0, cfg);
    c.language = Int("ATC", "language", 1, cfg);
    c.multi = Int("ATC", "multi", 2, cfg);
    c.resolution = Int("DISPLAY", "resolution", 3, cfg);
    // The engine's chip capacity and the scenery files exist for 1-3 only.
    if (c.resolution < 1 || c.resolution > 3) c.resolution = 3;
    // Not 0 means the highest detail, whose scenery files carry the number 4: a larger value
    // would name files no airport has, and a negative one a lower detail or none.
    c.exresolution = Int("DISPLAY", "ex_resolution", 0, cfg);
    c.exresolution = std::clamp(c.exresolution, 0, 1);
    c.through = Int("DISPLAY", "through", 1, cfg) != 0;
    c.cloud = Int("DISPLAY", "cloud", 1, cfg) != 0;
    const int separate = Int("DISPLAY", "separate", 0, cfg);
    const int maxmize = Int("DISPLAY", "maxmize", 0, cfg);
    c.winlayout = separate == 0 ? 0 : (maxmize == 0 ? 1 : 2);
    const ScreenInfo& s = GetScreenInfo();
    c.layout = ReadDisplayLayout(cfg.c_str(), s.width, s.height, s.framecx, s.framecy, c.winlayout);
    if (s.fullscreen) c.winlayout = 0;
    c.cameramove = Int("DISPLAY", "cameramove", 1, cfg);
    // Volumes are percentages: outside 0-100 they would leave the mixer's 0-15 scale.
    auto volume = [&](const char* key, int def) {
        return std::min(std::max(Int("VOLUME", key, def, cfg), 0), 100) * 15 / 100;
    };
    c.atcvolume = volume("atc", 80);
    c.bgmvolume = volume("bgm", 40);
    c.envvolume = volume("env", 60);
    c.dsound = Int("GAME", "dsound", 0, cfg) != 0;
}
