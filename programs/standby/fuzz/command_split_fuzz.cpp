// Fuzz target of the stand-by program's command line. The input up to its first line feed is
// a program, the rest its arguments. The client makes the stand-by line of them; when it lets
// the line through, the stand-by program is given the text after its own name (as the program
// entry cuts it) and must split it back into that program (blanks around it aside) and
// those arguments. Any line the program can be given splits without losing a byte, and the
// program it names resolves as a path the way the launch resolves it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "standby.h"
#include "standby_client.h"
#include "wynplat.h"

namespace {

// The text after the program's own name, as the program entry gives it to WinMain.
std::string AfterName(const std::string& line) {
    size_t p = 0;
    while (p < line.size() && static_cast<unsigned char>(line[p]) > ' ') ++p;
    while (p < line.size() && static_cast<unsigned char>(line[p]) <= ' ') ++p;
    return line.substr(p);
}

std::string WithoutAddedExe(const standby::CommandSplit& s, const std::string& line) {
    if (s.program.empty() || line.find('.') != std::string::npos) return s.program;
    if (s.program.size() < 4 || s.program.compare(s.program.size() - 4, 4, ".exe") != 0)
        std::abort();
    return s.program.substr(0, s.program.size() - 4);
}

// A program name as the stand-by program can give it back: without the blanks and control
// characters the program entry skips before it, and without its trailing blanks.
std::string Named(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    size_t lead = 0;
    while (lead < s.size() && static_cast<unsigned char>(s[lead]) <= ' ') ++lead;
    return s.substr(lead);
}

// Splits a line the stand-by program is given; the pieces make the line again.
standby::CommandSplit Split(const std::string& line) {
    const standby::CommandSplit s = standby::SplitCommand(line.c_str());
    if (WithoutAddedExe(s, line) + s.arguments != line) std::abort();
    char path[MAX_PATH * 2];
    if (!s.program.empty()) WynPlat_ResolvePath(s.program.c_str(), path, sizeof path);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A command line ends at its first 0, as the program is given it.
    std::string input(reinterpret_cast<const char*>(data), size);
    input.resize(std::strlen(input.c_str()));
    if (input.size() <= STANDBY_LINE_MAX) Split(input);

    const size_t feed = input.find('\n');
    const std::string program = input.substr(0, feed);
    const std::string arguments = feed == std::string::npos ? "" : input.substr(feed + 1);
    char line[STANDBY_LINE_MAX + 1];
    if (!StandBy_FormatCommand(program.c_str(), arguments.c_str(), line, sizeof line) ||
        !StandBy_CutsBack(program.c_str(), arguments.c_str()))
        return 0;
    const std::string given = AfterName(line);
    const standby::CommandSplit s = Split(given);
    if (Named(program).empty()) return 0;  // names nothing: starts nothing
    if (Named(WithoutAddedExe(s, given)) != Named(program)) std::abort();
    if (s.arguments.size() < arguments.size() ||
        s.arguments.compare(s.arguments.size() - arguments.size(), arguments.size(), arguments) !=
            0)
        std::abort();
    return 0;
}
