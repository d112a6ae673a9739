// wyndemob: the night scenes and the wallpaper show. "wyndemob <digit> [<return line>]" plays
// one of six scenes ("0".."5") and hands back through the stand-by window: to the script host
// with the return line as its arguments, or to the program named after a leading '@'.
#include "night.h"

namespace {

const DemoProgram kProgram = {DEMO_KIND_B, "WYN2WYNDEMOB", "Wynmoor２ SarnetＢ", "Wynmoor 2",
                              RunNightScene};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int show) {
    return DemoMain(kProgram, instance, cmdline, show);
}
