// Fuzz target of wyndemoc.ini's values as the model viewer takes them: any bytes as the ini
// file; for each kind of command line ('0'..'2' and any other) the model it names (a layer file
// path relative to the program folder) is loaded under an engine record without drivers, its
// switchable layers are looked up and every button is pressed twice.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_engine.h"
#include "fuzz_scratch.h"
#include "viewer.h"

namespace {

// A path that reaches a device, the process's own files or the system's mailslots and pipes
// could block the read: such a model is passed over.
bool ReachesDevices(const char* path) {
    std::string text = path;
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* word : {"dev", "proc", "sys", "mailslot", "pipe", "\\\\."})
        if (text.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzscratch::Folder folder;
    const std::string ini = folder.Put("wyndemoc.ini", data, size);
    if (ini.empty()) return 0;
    tagKRN* krn = krnlfuzz::Engine();
    for (const char first : {'0', '1', '2', 'x'}) {
        char model[256];
        std::memset(model, 'x', sizeof model);
        const int index = ViewerModel(first, ini.c_str(), model, sizeof model);
        if (index != (first == 'x' ? -1 : first - '0') || !std::memchr(model, 0, sizeof model))
            std::abort();
        if (ReachesDevices(model)) continue;
        tagKRNL* master = KRNL_Start(krn);
        if (!master) return 0;
        tagKRNL* object = KRNL_CreateLayer(master, "OBJECT");
        if (object && model[0]) KRNL_LoadLayer(object, model, 0);
        Viewer v;
        ViewerFindLayers(&v, object);
        for (int round = 0; round < 2; ++round)
            for (int b = 0; b < VIEWER_BUTTONS; ++b) ViewerPress(&v, b);
        KRNL_CalcLayerEx(master, 0);
        KRNL_End(master);
    }
    return 0;
}
