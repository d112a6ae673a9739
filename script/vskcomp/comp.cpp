// A whole compile: pass 1 until nothing expands, then passes 2 and 3.
#include "vskcomp_internal.h"

namespace {

// The new buffer of the pass that ran becomes the old buffer of the next.
void Hand(tagCOMPBLOCK* job) {
    job->lpoldtop = job->lpold = job->lpnewtop;
    job->oldsize = job->newsize;
    job->lpnewtop = job->lpnew = nullptr;
    job->newsize = 0;
}

// Runs of pass 1 that may still expand before the compile gives up: a macro that contains
// its own name would expand for ever.
constexpr int kMaxRuns = 64;

}  // namespace

int WINAPI VSKCOMP_Comp(tagCOMPBLOCK* job) {
    if (!job) return 0;
    for (int run = 0;; ++run) {
        if (run == kMaxRuns) {
            vskcomp::S().pass = 1;
            return vskcomp::Fail(VSKCOMP_ERR_EXPANSION, vskcomp::S().expandedAt);
        }
        int expansions = VSKCOMP_Pass1(job);
        if (expansions < 0) return 0;
        Hand(job);
        if (expansions == 0) break;
    }
    if (!VSKCOMP_Pass2(job)) return 0;
    Hand(job);
    return VSKCOMP_Pass3(job);
}
