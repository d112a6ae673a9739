// The one language setting, by the environment it is decided from.
#include <windows.h>
#include <wynplat.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct LangCase {
    const char* wynLang;  // nullptr: unset
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    int japanese;
};

const LangCase kCases[] = {
    {nullptr, nullptr, nullptr, nullptr, 1},     // nothing said: the system's language
    {"ja", nullptr, nullptr, "en_US.UTF-8", 1},  // the project's variable wins
    {"en", nullptr, nullptr, "ja_JP.UTF-8", 0},
    {"EN", "ja_JP.UTF-8", nullptr, nullptr, 0},
    {nullptr, nullptr, nullptr, "ja_JP.UTF-8", 1},
    {nullptr, nullptr, nullptr, "en_GB.UTF-8", 0},
    {nullptr, nullptr, nullptr, "de_DE.UTF-8", 0},  // other languages read English
    {nullptr, nullptr, nullptr, "C", 1},
    {nullptr, nullptr, nullptr, "POSIX", 1},
    {nullptr, nullptr, nullptr, "C.UTF-8", 1},
    {nullptr, nullptr, nullptr, "", 1},
    {nullptr, "en_US.UTF-8", nullptr, "ja_JP.UTF-8", 0},  // LC_ALL before LANG
    {nullptr, nullptr, "ja_JP.eucJP", "en_US.UTF-8", 1},  // LC_MESSAGES before LANG
    {nullptr, "", "en_US", "ja_JP", 0},                   // an empty LC_ALL says nothing
    {"fr", nullptr, nullptr, "ja_JP.UTF-8", 1},           // an unknown WYN_LANG is ignored
};

void Put(const char* name, const char* value) {
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

}  // namespace

TEST(Language, DecidedByWynLangThenTheLocale) {
    for (const auto& c : kCases) {
        Put("WYN_LANG", c.wynLang);
        Put("LC_ALL", c.lcAll);
        Put("LC_MESSAGES", c.lcMessages);
        Put("LANG", c.lang);
        std::string name = std::string("WYN_LANG=") + (c.wynLang ? c.wynLang : "-") +
                           " LC_ALL=" + (c.lcAll ? c.lcAll : "-") +
                           " LC_MESSAGES=" + (c.lcMessages ? c.lcMessages : "-") +
                           " LANG=" + (c.lang ? c.lang : "-");
        EXPECT_EQ(WynPlat_IsJapanese(), c.japanese) << name;
        LANGID id = c.japanese ? 1041 : 1033;
        EXPECT_EQ(GetUserDefaultLangID(), id) << name;
        EXPECT_EQ(GetSystemDefaultLangID(), id) << name;
        EXPECT_EQ(PRIMARYLANGID(GetUserDefaultLangID()), c.japanese ? LANG_JAPANESE : LANG_ENGLISH)
            << name;
    }
}

TEST(Language, CodePageIsShiftJis) { EXPECT_EQ(GetACP(), 932u); }
