// config.ini and krn2.ini as the game and the 3D engine take them. The input is config.ini's
// text, then, after a line "%%", krn2.ini's. The game reads its settings (ReadConfig) for a
// desktop and for a full screen: every value stays in its range, and writing back the window
// layout it read changes nothing in the file. Then the engine starts with the drivers of the
// program folder and ends: it chooses its drivers, texture size and mode from krn2.ini and
// writes its choice back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/base.h"
#include "fuzz_scratch.h"
#include "krn.h"

namespace {

// The program folder of the process, read once by the platform: the drivers lie there,
// linked from the build's program folder, and the two ini files of each input.
struct ProgramFolder {
    std::string dir;
    bool engine = false;  // the engine finds its ini file here
    ProgramFolder() {
        const char* tmp = std::getenv("TMPDIR");
        dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/wyn-fuzz-settings-" +
              std::to_string(getpid());
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        std::filesystem::create_directories(dir, ec);
        setenv("WYN_PROGRAM_DIR", dir.c_str(), 1);
        SetCurrentDirectoryA(System("").c_str());
        for (const char* d : {"drv_pasu.dll", "drv_quil.dll", "drv_nodo.dll", "lgt_pasu.dll",
                              "lgt_quil.dll", "lgt_nodo.dll", "acc_dexo.dll"}) {
            std::filesystem::create_symlink(std::string(WYN_FUZZ_PROGRAMS) + "/" + d, dir + "/" + d,
                                            ec);
            // Loaded once for good, so that each start of the engine finds them loaded.
            LoadLibraryA(System(d).c_str());
        }
        char ini[MAX_PATH] = {};
        KRN_GetProFileName(ini);
        engine = ini == System("krn2.ini");
        if (!engine) std::fprintf(stderr, "settings fuzz: the engine reads %s\n", ini);
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string System(const std::string& name) const {
        char sys[MAX_PATH];
        if (!WynPlat_ToSystemPath((dir + "/" + name).c_str(), sys, sizeof sys)) return "";
        std::string s = sys;
        if (name.empty() && !s.empty() && s.back() == '\\') s.pop_back();
        return s;
    }
    std::string Read(const char* name) const {
        std::ifstream f(dir + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    void Write(const char* name, const std::string& text) const {
        std::ofstream(dir + "/" + name, std::ios::binary | std::ios::trunc) << text;
    }
};

bool Within(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ProgramFolder folder;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find("\n%%\n");
    folder.Write("config.ini", input.substr(0, split));
    folder.Write("krn2.ini", split == std::string::npos ? "" : input.substr(split + 4));
    std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", folder.System("").c_str());
    const std::string cfg = folder.System("config.ini");

    for (const bool full : {false, true}) {
        ScreenInfo& s = Handles().screeninfo;
        s = ScreenInfo{full ? 800 : 1280, full ? 600 : 1024, full ? 1 : 0, 6, 25};
        ReadConfig();
        const GameConfig& c = GetConfig();
        if (!Within(c.resolution, 1, 3) || !Within(c.exresolution, 0, 1) ||
            !Within(c.atcvolume, 0, 15) || !Within(c.bgmvolume, 0, 15) ||
            !Within(c.envvolume, 0, 15) || !Within(c.winlayout, 0, full ? 0 : 2) ||
            !Within(c.softmode, 0, 1) || !Within(c.through, 0, 1) || !Within(c.cloud, 0, 1) ||
            !Within(c.dsound, 0, 1))
            std::abort();
        // A view is 800 wide unless a stored width (400 up to the screen) or a maximised view
        // (the screen's width) says otherwise.
        for (const LayoutSet& set : c.layout.set)
            if (set.viewcx != 800 && !Within(set.viewcx, 400, (s.width - s.framecx) / 4 * 4))
                std::abort();
        // What was read is what the file holds: written back, it changes nothing.
        const std::string before = folder.Read("config.ini");
        for (const int kind : {0, 2}) {
            WriteDisplayLayout(
                cfg.c_str(),
                ReadDisplayLayout(cfg.c_str(), s.width, s.height, s.framecx, s.framecy, kind),
                s.width, s.height, s.framecx, s.framecy, kind);
            if (folder.Read("config.ini") != before) std::abort();
        }
    }

    if (folder.engine) {
        if (tagKRN* krn = KRN_Start(nullptr, 16)) KRN_End(krn);
    }
    return 0;
}
