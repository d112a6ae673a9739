// wyndemoa: the airport tours. "wyndemoa <digit> [<return line>]" plays one of six scenes
// ("0".."5") of the sample airport and hands back through the stand-by window: to the script
// host with the return line as its arguments, or to the program named after a leading '@'.
#include "scenes.h"

namespace {

const DemoProgram kProgram = {DEMO_KIND_A, "WYN2WYNDEMOA", "Wynmoor２ SarnetＡ", "Wynmoor 2",
                              RunScene};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int show) {
    return DemoMain(kProgram, instance, cmdline, show);
}
