// Stand-in for the demo programs' random table until their library is in the tree: the same
// table (the first 1000 values of the standard generator from seed 1, read round and round).
#include "wynopen.h"

namespace {
int iRANDOM[1000];
int iRANDOMTOP;
int bRANDOMINIT;
}  // namespace

void InitRndom(int flag) {
    iRANDOMTOP = 0;
    bRANDOMINIT = 1;
    if (!flag) return;
    unsigned state = 1;
    for (int& v : iRANDOM) {
        state = state * 1103515245u + 12345u;
        v = static_cast<int>((state >> 16) & 0x7FFF);
    }
}

int rand2(void) {
    if (!bRANDOMINIT) InitRndom(1);
    const int v = iRANDOM[iRANDOMTOP];
    iRANDOMTOP = (iRANDOMTOP + 1) % 1000;
    return v;
}
