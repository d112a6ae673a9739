// The processor test behind WynPlat_GetCpuInfo: CPUID, replaceable by tests.
#include <wynplat.h>

#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

void ProbeCpuid(WynCpuInfo* info) {
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (!__get_cpuid(0, &a, &b, &c, &d)) return;
    std::memcpy(info->vendor, &b, 4);
    std::memcpy(info->vendor + 4, &d, 4);
    std::memcpy(info->vendor + 8, &c, 4);
    info->vendor[12] = '\0';
    if (a >= 1 && __get_cpuid(1, &a, &b, &c, &d)) info->sse = (d >> 25) & 1;
    // The extended leaf is only asked when the processor says it has it.
    if (__get_cpuid_max(0x80000000u, nullptr) >= 0x80000001u &&
        __get_cpuid(0x80000001u, &a, &b, &c, &d))
        info->amd3dnow = (d >> 31) & 1;
#else
    (void)info;
#endif
}

std::atomic<WynCpuProbe> g_probe{nullptr};

}  // namespace

void WynPlat_GetCpuInfo(WynCpuInfo* info) {
    if (!info) return;
    std::memset(info, 0, sizeof *info);
    WynCpuProbe probe = g_probe.load();
    (probe ? probe : ProbeCpuid)(info);
    info->vendor[sizeof info->vendor - 1] = '\0';
}

void WynPlat_SetCpuProbe(WynCpuProbe probe) { g_probe.store(probe); }
