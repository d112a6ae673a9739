// snbmake: compiles a script source into a compiled-script file, the one maker of .SNB files.
//   snbmake [-u] [-d DEF] SOURCE.SNA OUT.SNB
// reads the definition file DEF (macros and includes; a missing one is no error), compiles
// SOURCE and writes OUT. With -u SOURCE is UTF-8 text (as the sample scripts are kept) and is
// turned into the Shift-JIS the compiler reads first. The file library upper-cases the names it
// opens and creates, so the file made is OUT's name in upper case. A compile error prints its error
// line and fails.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "vskcomp.h"
#include "vskfile.h"
#include "vsktask.h"
#include "wynplat.h"

namespace {

// A path of this machine in the system's form, so that the script libraries open it.
std::string SystemPath(const char* path) {
    std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    char out[MAX_PATH * 2];
    if (!WynPlat_ToSystemPath(absolute.c_str(), out, sizeof out)) return path;
    return out;
}

int Usage() {
    std::fprintf(stderr, "usage: snbmake [-u] [-d DEF] SOURCE.SNA OUT.SNB\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const char* def = nullptr;
    bool utf8 = false;
    int i = 1;
    if (argc > 1 && std::strcmp(argv[1], "-u") == 0) {
        utf8 = true;
        i = 2;
    }
    if (argc > i + 1 && std::strcmp(argv[i], "-d") == 0) {
        def = argv[i + 1];
        i += 2;
    }
    if (argc - i != 2) return Usage();
    std::string source = SystemPath(argv[i]), out = SystemPath(argv[i + 1]);
    if (def && !VSKCOMP_DefineFile(nullptr, SystemPath(def).c_str())) {
        std::fprintf(stderr, "snbmake: %s: the definitions are not valid\n", def);
        return 1;
    }
    auto* text = static_cast<BYTE*>(VSKFILE_ReadBlock(nullptr, source.c_str(), 1));
    if (!text) {
        std::fprintf(stderr, "snbmake: cannot read %s\n", argv[i]);
        return 1;
    }
    if (utf8) {
        // Shift-JIS takes no more bytes than UTF-8 for any character; the end mark and the 0
        // follow the text again.
        SIZE_T size = VSKTASK_SizeMemory(nullptr, text);
        auto* sjis = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, size + 2));
        size_t n = WynPlat_FromUtf8(reinterpret_cast<const char*>(text), 932,
                                    reinterpret_cast<char*>(sjis), size);
        VSKTASK_FreeMemory(nullptr, text);
        if (!sjis || n >= size) {
            std::fprintf(stderr, "snbmake: %s is not UTF-8 text\n", argv[i]);
            return 1;
        }
        text = sjis;
    }
    tagCOMPBLOCK job{};
    std::snprintf(job.name, sizeof job.name, "%s",
                  std::filesystem::path(argv[i]).filename().string().c_str());
    job.lpoldtop = job.lpold = text;
    job.oldsize = DWORD(VSKTASK_SizeMemory(nullptr, text));
    if (!VSKCOMP_Comp(&job)) {
        char line[400], utf8[1200];
        VSKCOMP_MakeErrorMessage(&job, line);
        WynPlat_ToUtf8(line, 932, utf8, sizeof utf8);
        std::fprintf(stderr, "snbmake: %s\n", utf8);
        VSKTASK_FreeMemory(nullptr, job.lpoldtop);
        return 1;
    }
    DWORD length = DWORD(job.lpnew - job.lpnewtop);
    int packed = VSKCOMP_Pack(nullptr, out.c_str(), job.lpnewtop, length);
    VSKTASK_FreeMemory(nullptr, job.lpnewtop);
    if (!packed) {
        std::fprintf(stderr, "snbmake: cannot write %s\n", argv[i + 1]);
        return 1;
    }
    return 0;
}
