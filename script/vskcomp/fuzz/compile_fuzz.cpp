// Fuzz target of the compiler on source text. An input holding a line "%%" is a definition
// file's text, that line, then the source; any other input is a source alone. Whatever the
// compiler accepts must pass the code check that compiled-script files go through.
#include <cstdlib>
#include <cstring>
#include <string>

#include "vskcomp_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string source = input;
    vskcomp::ResetDefinitions();
    size_t split = input.find("\n%%\n");
    if (split != std::string::npos) {
        vskcomp::DefineText(nullptr, reinterpret_cast<const BYTE*>(input.data()), split);
        source = input.substr(split + 4);
    }
    auto* text = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, source.size() + 1));
    std::memcpy(text, source.data(), source.size());
    tagCOMPBLOCK job{};
    job.lpoldtop = job.lpold = text;
    job.oldsize = DWORD(source.size() + 1);
    if (VSKCOMP_Comp(&job)) {
        if (!vskcomp::CheckCode(job.lpnewtop, size_t(job.lpnew - job.lpnewtop))) std::abort();
        VSKTASK_FreeMemory(nullptr, job.lpnewtop);
    } else {
        VSKTASK_FreeMemory(nullptr, job.lpoldtop);
    }
    return 0;
}
