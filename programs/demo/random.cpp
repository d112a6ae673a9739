// The random table: the first 1000 values of the standard generator, read round and round, so
// that clouds and snow stand in the same places in every run.
#include "demo_random.h"

namespace {

int iRANDOM[1000];
int iRANDOMTOP = 0;
int bRANDOMINIT = 0;
// The standard generator's state: seed 1, never reseeded.
unsigned int g_state = 1;

int NextStandard() {
    g_state = g_state * 1103515245u + 12345u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

}  // namespace

void InitRndom(int flag) {
    iRANDOMTOP = 0;
    bRANDOMINIT = 1;
    if (flag)
        for (int& v : iRANDOM) v = NextStandard();
}

int rand2() {
    if (!bRANDOMINIT) InitRndom(1);
    const int v = iRANDOM[iRANDOMTOP];
    iRANDOMTOP = (iRANDOMTOP + 1) % 1000;
    return v;
}

void DemoResetRandom() {
    iRANDOMTOP = 0;
    bRANDOMINIT = 0;
    g_state = 1;
}
