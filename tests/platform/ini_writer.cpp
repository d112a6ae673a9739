// A program that writes keys into one ini file, for the tests of programs writing one file at
// once: plat_iniwriter <file> <section> <key prefix> <count> writes <prefix>0=0, <prefix>1=1...
// Ends with 0 when every write succeeded, 1 when one failed, 2 for wrong arguments.
#include <cstdlib>
#include <string>

#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    const int n = std::atoi(argv[4]);
    int failed = 0;
    for (int i = 0; i < n; ++i) {
        const std::string key = argv[3] + std::to_string(i);
        if (!WritePrivateProfileStringA(argv[2], key.c_str(), std::to_string(i).c_str(), argv[1]))
            ++failed;
    }
    return failed ? 1 : 0;
}
