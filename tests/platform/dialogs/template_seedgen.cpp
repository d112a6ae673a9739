// Writes the seed corpus of the dialog template reader's fuzz target: the test dialog, each
// statement form, and a few templates it refuses.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dialog_resources.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::filesystem::create_directories(argv[1]);
    const std::string seeds[] = {
        dlgtest::kSettings,
        "DIALOG 0 0 10 10\n",
        "DIALOG -5 -5 4000 4000\r\nSTYLE 0x80C80000\r\nCAPTION \"a \"\"quoted\"\" title\"\r\n",
        "DIALOG 1 2 3 4\nFONT 10 \"MS UI Gothic\"\nCONTROL CHECK 5 \"x\" 0 0 1 1 GROUP CHECKED "
        "DISABLED\n",
        "DIALOG 1 2 3 4\nCONTROL COMBO 401 \"\" 0 0 90 60\nCONTROL TRACKBAR 511 \"\" 0 0 9 9\n",
        "; only a comment\n",
        "DIALOG 0 0 1x 10\n",
        "DIALOG 0 0 10 10\nCAPTION \"unterminated\n",
    };
    int n = 0;
    for (const std::string& s : seeds) {
        std::ofstream f(std::string(argv[1]) + "/seed" + std::to_string(n++) + ".dlg",
                        std::ios::binary);
        f << s;
    }
    return 0;
}
