// Writes the scenario fuzz target's seeds into the folder named on the command line: the tests'
// header fixtures of both forms, cut short, with texts that fill their fields, and oversized.
#include <filesystem>
#include <fstream>

#include "scenario_fixtures.h"

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    };
    std::string sd3 = NewHeader("rjtt stage01");
    PutI32(sd3, 0xec, -1);
    write("stage.sd3", sd3);
    write("old.sd", OldHeader("rjtt old"));
    write("short.sd3", NewHeader("short").substr(0, 0x22));
    std::string full = NewHeader(std::string(32, 'T'));
    PutText(full, 0x34, std::string(16, 'M'));
    PutText(full, 0x4c, std::string(16, 'X'));
    write("fullfields.sd3", full);
    std::string big = NewHeader("big");
    big.resize(20000, '\x7f');
    write("big.sd3", big);
    write("empty.sd3", "");
    return 0;
}
