// airportmake: the sample airport from its text description.
//
//   airportmake make <description> <program folder> <scenery folder>
//       writes the airport's tables into the program folder, and the layer descriptions of
//       the scenery (for modelmake) and the picture description of the radar maps and the
//       demos' sky textures (for the picture maker) into the scenery folder
//   airportmake check <description> <program folder>
//       holds the description and the built files to the design rules; a breach fails
//
// The description's words are explained in data/airport/rjtt/rjtt.txt.
#include <cstdio>
#include <cstring>

#include "airportmake.h"

int main(int argc, char** argv) {
    const bool make = argc == 5 && std::strcmp(argv[1], "make") == 0;
    const bool check = argc == 4 && std::strcmp(argv[1], "check") == 0;
    if (!make && !check) {
        std::fprintf(stderr,
                     "usage: airportmake make <description> <program folder> <scenery folder>\n"
                     "       airportmake check <description> <program folder>\n");
        return 2;
    }
    airport::Description a;
    if (!airport::ReadDescription(argv[2], &a)) return 1;
    if (make)
        return airport::MakeTables(a, argv[3]) && airport::MakeScenery(a, argv[4]) &&
                       airport::MakeRadar(a, argv[4])
                   ? 0
                   : 1;
    const int breaches = airport::Check(a, argv[3]);
    if (breaches) std::fprintf(stderr, "%s: %d design rule(s) broken\n", argv[2], breaches);
    return breaches ? 1 : 0;
}
