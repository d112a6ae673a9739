// The entry of the system's programs: main() hands over to the program's WinMain with the
// command line as the C runtime of the system splits it. Every program of the set starts here,
// so here each refuses to run without the runtime folder where the programs meet: without it a
// hand-over would go nowhere and the programs would wait for each other unseen.
#include <windows.h>
#include <wynplat.h>

int main() {
    if (!WynPlat_CheckRuntimeDir()) return 1;
    LPSTR line = GetCommandLineA();
    // lpCmdLine: skip the program token (quoted or not), then the blanks after it, so the
    // arguments " 1" give "1" and "  TST" gives "TST".
    char* p = line;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (static_cast<unsigned char>(*p) > ' ') ++p;
    }
    while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
    return WinMain(GetModuleHandleA(nullptr), nullptr, p, 10 /* SW_SHOWDEFAULT */);
}
