// wyndemoc: the aircraft model viewer. "wyndemoc <digit> [<return line>]" shows the model that
// wyndemoc.ini names for the digit ("0".."2", anything else the default model) until button 3
// or the close box ends it, then hands back through the stand-by window like the other demos.
#include "viewer.h"

namespace {

const DemoProgram kProgram = {DEMO_KIND_C, "WYN2WYNDEMOC", "Wynmoor２ Sarnet Corvessa", "Wynmoor 2",
                              RunViewer};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int show) {
    return DemoMain(kProgram, instance, cmdline, show);
}
