// Prints what the platform layer sees of this machine: the program folder, the language,
// the processor and the clock.
#include <windows.h>
#include <wynplat.h>

#include <cstdio>

int main() {
    WynCpuInfo cpu{};
    WynPlat_GetCpuInfo(&cpu);
    std::printf("program folder: %s\n", WynPlat_ProgramDir());
    std::printf("language: %s (%u)\n", WynPlat_IsJapanese() ? "Japanese" : "English",
                static_cast<unsigned>(GetUserDefaultLangID()));
    std::printf("processor: %s sse=%d 3dnow=%d\n", cpu.vendor, cpu.sse, cpu.amd3dnow);
    std::printf("clock: %lu ms\n", static_cast<unsigned long>(GetTickCount()));
    return 0;
}
