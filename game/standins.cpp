// Stand-ins for the parts of the game that other modules build: the frame calls them by their
// names from the start. Each is removed here when its real module lands.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "controller/controller.h"
#include "frame/frame.h"
#include "frame/frame_internal.h"
#include "simulation/simulation_internal.h"
#include "standins.h"
#include "world/world.h"

std::vector<std::string>& StandInCalls() {
    static std::vector<std::string> calls;
    return calls;
}
namespace {
// Records one call (kept for stand-ins to come, so unused while none records).
[[maybe_unused]] void Called(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Called(const char* format, ...) {
    char line[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    StandInCalls().push_back(line);
}
}  // namespace
