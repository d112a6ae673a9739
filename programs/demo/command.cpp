// The demo command line: a scene character, and after a blank the return line that says where
// the program hands back.
#include <cstring>

#include "demo.h"

DemoCommand DemoParseCommand(const char* line) {
    DemoCommand c;
    if (!line) line = "";
    c.scene = line[0];
    if (line[0] != '\0' && line[1] == ' ') {
        const char* rest = line + 2;
        const size_t n = std::strlen(rest);
        // A longer line is cut; the stand-by client then refuses the hand-back as too long
        // (its line cannot hold it either), so nothing is launched from a cut command.
        const size_t kept = n > DEMO_COMMAND_MAX ? DEMO_COMMAND_MAX : n;
        std::memcpy(c.command, rest, kept);
        c.command[kept] = '\0';
        c.toolong = n > DEMO_COMMAND_MAX ? 1 : 0;
    }
    return c;
}

int DemoSceneIndex(char first) { return first >= '0' && first <= '5' ? first - '0' : -1; }

int DemoHandBack(const char* command, char* program, char* arguments) {
    program[0] = arguments[0] = '\0';
    if (!command || !command[0]) return 0;
    if (command[0] == '@') {
        std::strncpy(program, command + 1, DEMO_COMMAND_MAX);
        program[DEMO_COMMAND_MAX] = '\0';
        return 1;
    }
    std::strcpy(program, "vsk33.exe");
    std::strncpy(arguments, command, DEMO_COMMAND_MAX);
    arguments[DEMO_COMMAND_MAX] = '\0';
    return 1;
}
