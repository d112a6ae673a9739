// Writes the seed corpus of the ini fuzz target into the folder named on the command line.
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    static const char kZeros[] = "[s]\r\nk=\0v\r\n[\0]\r\n\x81\x5C=\x95\x5C\r\n";
    const std::string seeds[] = {
        "[GAME]\r\nSpeed=3\r\nName=\"Tower\"\r\n\r\n[DISPLAY]\r\nWidth=640\r\n",
        "[a]\nk=v\n[b]\nk = ' q '\n=x\nnoequals\n[unclosed\nneg=-32768\nhex=0x1F",
        std::string(kZeros, sizeof kZeros - 1),
        "\r\n\r\n[]\r\n=\r\n[ spaced ]\r\n  key  =  value  \r\n",
    };
    int n = 0;
    for (const std::string& s : seeds) {
        std::ofstream out(dir / ("seed" + std::to_string(n++) + ".ini"), std::ios::binary);
        out << s;
    }
    return 0;
}
