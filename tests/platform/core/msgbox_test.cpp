// Headless message boxes: logged, answered from the scripted lists, else by safe defaults.
#include <windows.h>
#include <wynplat.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {
const char* U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
}  // namespace

TEST(MessageBoxes, SafeDefaultsEndRetryLoops) {
    struct Case {
        UINT type;
        int expect;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE, IDABORT},
        {MB_YESNOCANCEL, IDCANCEL},
        {MB_YESNO, IDNO},
        {MB_RETRYCANCEL | MB_ICONSTOP, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, IDNO},
    };
    int before = WynPlat_MessageBoxCount();
    for (const auto& c : cases)
        EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.type), c.expect) << "type " << c.type;
    EXPECT_EQ(WynPlat_MessageBoxCount(), before + 7);
}

TEST(MessageBoxes, EnvironmentAnswersFirstThenPushedThenDefault) {
    setenv("WYN_MSGBOX_ANSWERS", "6, 4,1", 1);
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    WynPlat_PushMessageBoxAnswer(IDYES);
    struct Case {
        UINT type;
        int expect;
    };
    const Case cases[] = {
        {MB_YESNO, IDYES},           // "6" from the environment
        {MB_RETRYCANCEL, IDRETRY},   // "4"
        {MB_YESNO, IDNO},            // "1" is no button of Yes/No: the default
        {MB_RETRYCANCEL, IDRETRY},   // pushed
        {MB_YESNOCANCEL, IDYES},     // pushed
        {MB_RETRYCANCEL, IDCANCEL},  // nothing left: the default
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(MessageBoxA(nullptr, "t", "c", cases[i].type), cases[i].expect) << "box " << i;
}

TEST(MessageBoxes, LoggedToStderrAndTheLogFile) {
    std::string log =
        std::string(std::getenv("WYN_RUNTIME_DIR") ? std::getenv("WYN_RUNTIME_DIR") : "/tmp") +
        "/msgbox_log_test.txt";
    std::string dir = log.substr(0, log.rfind('/'));
    std::system(("mkdir -p '" + dir + "'").c_str());
    std::remove(log.c_str());
    setenv("WYN_MSGBOX_LOG", log.c_str(), 1);
    EXPECT_EQ(WynPlat_LastMessageBox(nullptr, 0, nullptr, 0), 0);
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "file not found", "nxlib", MB_OK);
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);  // NULL text and caption are tolerated
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("nxlib: file not found"), std::string::npos) << err;
    std::ifstream in(log);
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_NE(all.str().find("nxlib: file not found"), std::string::npos) << all.str();
    char caption[64], text[4];
    EXPECT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "Error");  // the system's caption when none is given
    EXPECT_STREQ(text, "");
    EXPECT_EQ(WynPlat_MessageBoxCount(), 2);
}

TEST(MessageBoxes, LastBoxIsCutToTheCallersBuffers) {
    MessageBoxA(nullptr, "a rather long text", "Caption", MB_OK);
    char caption[4], text[8];
    EXPECT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "Cap");
    EXPECT_STREQ(text, "a rathe");
    EXPECT_TRUE(MessageBeep(MB_ICONASTERISK));
}

TEST(MessageBoxes, ShiftJisTextIsLoggedAsUtf8) {
    testing::internal::CaptureStderr();
    // "エラー" and "ファイルがありません" in Shift-JIS.
    MessageBoxA(nullptr,
                "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1",
                "\x83\x47\x83\x89\x81\x5b", MB_OK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(U8(u8"エラー: ファイルがありません")), std::string::npos) << err;
    char caption[32];
    WynPlat_LastMessageBox(caption, sizeof caption, nullptr, 0);
    EXPECT_STREQ(caption, U8(u8"エラー"));
    testing::internal::CaptureStderr();
    OutputDebugStringA("\x83\x47\x83\x89\x81\x5b\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(U8(u8"エラー")) + "\n");
}
