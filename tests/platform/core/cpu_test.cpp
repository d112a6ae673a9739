#include <wynplat.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {
void FakeK6(WynCpuInfo* info) {
    std::strcpy(info->vendor, "AuthenticAMD");
    info->amd3dnow = 1;
}
void FakeP3(WynCpuInfo* info) {
    std::strcpy(info->vendor, "GenuineIntel");
    info->sse = 1;
}
}  // namespace

TEST(CpuProbe, RealProcessorAnswersAndTestsReplaceIt) {
    WynCpuInfo real{};
    WynPlat_GetCpuInfo(&real);
    EXPECT_EQ(std::strlen(real.vendor), 12u) << real.vendor;
#if defined(__x86_64__)
    EXPECT_EQ(real.sse, 1) << "every 64-bit x86 processor has SSE";
#endif
    struct Case {
        WynCpuProbe probe;
        const char* vendor;
        int sse;
        int amd3dnow;
    };
    const Case cases[] = {{FakeK6, "AuthenticAMD", 0, 1}, {FakeP3, "GenuineIntel", 1, 0}};
    for (const auto& c : cases) {
        WynPlat_SetCpuProbe(c.probe);
        WynCpuInfo info;
        std::memset(&info, 0x55, sizeof info);  // the probe starts from a clean record
        WynPlat_GetCpuInfo(&info);
        EXPECT_STREQ(info.vendor, c.vendor);
        EXPECT_EQ(info.sse, c.sse) << c.vendor;
        EXPECT_EQ(info.amd3dnow, c.amd3dnow) << c.vendor;
    }
    WynPlat_SetCpuProbe(nullptr);
    WynCpuInfo again{};
    WynPlat_GetCpuInfo(&again);
    EXPECT_STREQ(again.vendor, real.vendor);
    EXPECT_EQ(again.sse, real.sse);
    EXPECT_EQ(again.amd3dnow, real.amd3dnow);
    WynPlat_GetCpuInfo(nullptr);  // tolerated
}
