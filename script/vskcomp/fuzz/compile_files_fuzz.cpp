// Fuzz target of the compiler over files on disk, as the host compiles a script: the
// definition file read by VSKCOMP_DefineFile, the files its #include lines name, read when the
// source uses them, and the source read the way the executor reads it. The input is split into
// files: the definition file's text first, then, at each line "%%NAME", the file NAME (letters,
// digits, '.' and '_', 12 characters at most; "%%" alone names the source) with the text up to
// the next such line. Whatever compiles passes the code check that compiled files go through.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_scratch.h"
#include "vskcomp_internal.h"

namespace {

constexpr char kSource[] = "MAIN.SNA";

// A name of a file beside the source; the definition file comes first and only once.
bool FileName(const std::string& s) {
    if (s.empty() || s.size() > 12 || s == "." || s == "..") return false;
    std::string lower;
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_') return false;
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower != "vsk.def";
}

// An #include line of the definition file may name any path: one that reaches a device, the
// process's own files or the system's mailslots and pipes could block the read, so such
// definition files are passed over.
bool ReachesDevices(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* word : {"dev", "proc", "sys", "mailslot", "pipe", "\\\\."})
        if (text.find(word) != std::string::npos) return true;
    return false;
}

// The files of an input, the definition file first; false when a name is not one.
bool Split(const std::string& input, std::vector<std::pair<std::string, std::string>>* files) {
    files->assign(1, {"vsk.def", ""});
    size_t at = 0;
    for (;;) {
        const size_t mark = input.find("\n%%", at);
        if (mark == std::string::npos) {
            files->back().second += input.substr(at);
            return true;
        }
        files->back().second += input.substr(at, mark + 1 - at);
        const size_t eol = input.find('\n', mark + 3);
        std::string name =
            input.substr(mark + 3, (eol == std::string::npos ? input.size() : eol) - (mark + 3));
        if (!name.empty() && name.back() == '\r') name.pop_back();
        if (name.empty()) name = kSource;
        if (!FileName(name)) return false;
        files->push_back({name, ""});
        if (eol == std::string::npos) return true;
        at = eol + 1;
    }
}

void Compile(const std::string& source) {
    // As the executor loads a source: read whole with the end-of-file mark behind it.
    auto* text = static_cast<BYTE*>(VSKFILE_ReadBlock(nullptr, source.c_str(), 1));
    if (!text) return;
    tagCOMPBLOCK job{};
    std::snprintf(job.name, sizeof job.name, "%s", kSource);
    job.lpoldtop = job.lpold = text;
    job.oldsize = DWORD(VSKTASK_SizeMemory(nullptr, text));
    if (VSKCOMP_Comp(&job)) {
        if (!vskcomp::CheckCode(job.lpnewtop, size_t(job.lpnew - job.lpnewtop))) std::abort();
        VSKTASK_FreeMemory(nullptr, job.lpnewtop);
    } else {
        VSKTASK_FreeMemory(nullptr, job.lpoldtop);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::pair<std::string, std::string>> files;
    if (!Split(input, &files) || ReachesDevices(files[0].second)) return 0;
    fuzzscratch::Folder folder;
    bool source = false;
    for (const auto& [name, text] : files) {
        if (folder.Put(name, reinterpret_cast<const uint8_t*>(text.data()), text.size()).empty())
            return 0;
        source = source || name == kSource;
    }
    if (!source && folder.Put(kSource, nullptr, 0).empty()) return 0;
    // The definitions name their include files relative to the current folder.
    std::string here = folder.Sys(kSource);
    here.resize(here.find_last_of('\\'));
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    if (!SetCurrentDirectoryA(here.c_str())) return 0;
    vskcomp::ResetDefinitions();
    if (VSKCOMP_DefineFile(nullptr, folder.Sys("vsk.def").c_str())) Compile(folder.Sys(kSource));
    SetCurrentDirectoryA(before);
    return 0;
}
