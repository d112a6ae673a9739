// The library's boxes speak Japanese when the country code is 81, English otherwise; this
// test runs once per language (UMB_TEST_JAPANESE).
#include <gtest/gtest.h>

#include <string>

#include "umb33.h"
#include "wynplat.h"

#if UMB_TEST_JAPANESE
#define LANGUAGE_SUITE PictureLanguageJapanese
#else
#define LANGUAGE_SUITE PictureLanguageEnglish
#endif

TEST(LANGUAGE_SUITE, MissingFileTextFollowsTheCountry) {
    tagCELL cell{};
    EXPECT_EQ(UMBDLL_ReadBMP("nowhere\\x.bmp", &cell), 0);
    char caption[64], text[512];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "UMB33.DLL");
#if UMB_TEST_JAPANESE
    // The log gives UTF-8; the literal is kept UTF-8 whatever the build's text code page.
    EXPECT_EQ(std::string(text),
              reinterpret_cast<const char*>(u8"ファイル \"nowhere\\x.bmp\" が読み込めません。"));
#else
    EXPECT_EQ(std::string(text), "File not found \"nowhere\\x.bmp\".");
#endif
}
