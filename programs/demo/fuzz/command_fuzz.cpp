// Fuzz target of the demo command line: the scene character, the return line kept to 255
// characters and where it hands back, and the stand-by client's line made from it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo.h"
#include "standby_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const DemoCommand c = DemoParseCommand(line.c_str());
    const size_t kept = std::strlen(c.command);
    if (kept > DEMO_COMMAND_MAX) std::abort();
    if (c.scene != line.c_str()[0]) std::abort();
    const int scene = DemoSceneIndex(c.scene);
    if (scene < -1 || scene > 5) std::abort();
    char program[DEMO_COMMAND_MAX + 1], arguments[DEMO_COMMAND_MAX + 1];
    const int back = DemoHandBack(c.command, program, arguments);
    if (back != (kept > 0 ? 1 : 0)) std::abort();
    if (std::strlen(program) > DEMO_COMMAND_MAX || std::strlen(arguments) > DEMO_COMMAND_MAX)
        std::abort();
    char standby[STANDBY_LINE_MAX + 1];
    if (back && StandBy_FormatCommand(program, arguments, standby, sizeof standby)) {
        if (std::strlen(standby) > STANDBY_LINE_MAX) std::abort();
        (void)StandBy_CommandCut(standby);
    }
    return 0;
}
