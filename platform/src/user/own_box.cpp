#include "user/own_box.h"

#include <limits.h>
#include <unistd.h>

#include "kernel/text.h"

namespace wynplat {

int ShowOwnBox(const std::string& text, UINT type) {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string name = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string("program");
    std::string caption = FromUtf8(name.substr(name.find_last_of('/') + 1), 932);
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

}  // namespace wynplat
