// The stand-by commands: a script's side of the hand-over to the next program through the
// stand-by window. They run the stand-by client inside the script task (its waits pump this
// thread's messages and do not hand the turn to other tasks) and answer with a number.
#include "standby_client.h"
#include "vskcmd.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigStart[] = {'S', 'S', 0};
constexpr WORD kSigNone[] = {0};

}  // namespace

VSKCMD_DEFINE_VERSION

// Starts "standby.exe <program> <arguments>" and waits up to 3000 ms for its window; once it is
// there the "START" box is shown over the script's window before the answer 1. A line the
// stand-by window could not take (too long, or cut elsewhere) starts nothing and answers 0.
VSKCMD_EXPORT int WINAPI VSK_STANDBYSTART(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "WYN2:StandbyStart", kSigStart, frame)) return 0;
    char program[VSK_BYTEBUF] = {}, arguments[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 1, program);
    VSKVAL_ArgString(ctx, frame, 2, arguments);
    if (!StandBy_Start(program, arguments)) return ResultNumber(ctx, frame, 0);
    MessageBoxA(ctx->hwnd, "START", "START", MB_OK);
    return ResultNumber(ctx, frame, 1);
}

// Waits up to 3000 ms for the stand-by window and sends it STANDBY_RUN; the send returns once
// the launched program owns a window. 1 when sent, else 0.
VSKCMD_EXPORT int WINAPI VSK_STANDBYSEND(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "WYN2:StandbySend", kSigNone, frame)) return 0;
    return ResultNumber(ctx, frame, StandBy_Send(STANDBY_LOOK_WAIT));
}

// Closes the stand-by window when there is one; always 1.
VSKCMD_EXPORT int WINAPI VSK_STANDBYEND(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "WYN2:Standbyend", kSigNone, frame)) return 0;
    StandBy_End();
    return ResultNumber(ctx, frame, 1);
}
