// Shared by the script engine's tests: the message boxes a step showed (read back from the
// platform's box log), texts in UTF-8, and a system context for one test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vskval.h"
#include "wynplat.h"

namespace vsktest {

// A UTF-8 literal as a std::string, whatever the build's text code page.
inline std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// The system's Shift-JIS text in UTF-8.
inline std::string Utf8(const char* sjis) {
    std::vector<char> out(std::strlen(sjis) * 3 + 8);
    WynPlat_ToUtf8(sjis, 932, out.data(), out.size());
    return out.data();
}

// The message boxes shown while it lives, in order (caption and text in UTF-8).
class Boxes {
  public:
    struct Box {
        std::string caption, text;
    };
    Boxes() {
        const auto* t = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string("boxes_") + t->test_suite_name() + "_" + t->name() + "_" +
                std::to_string(getpid()) + ".log";
        std::remove(path_.c_str());
        setenv("WYN_MSGBOX_LOG", path_.c_str(), 1);
    }
    ~Boxes() {
        unsetenv("WYN_MSGBOX_LOG");
        std::remove(path_.c_str());
    }
    std::vector<Box> All() const {
        std::ifstream in(path_, std::ios::binary);
        std::string log((std::istreambuf_iterator<char>(in)), {});
        std::vector<Box> boxes;
        const std::string head = "[MessageBox] ";
        for (size_t at = log.find(head); at != std::string::npos;) {
            size_t next = log.find("\n" + head, at);
            std::string entry =
                log.substr(at + head.size(),
                           next == std::string::npos ? std::string::npos : next - at - head.size());
            size_t colon = entry.find(": ");
            size_t arrow = entry.rfind(" -> ");
            boxes.push_back({entry.substr(0, colon), entry.substr(colon + 2, arrow - colon - 2)});
            at = next == std::string::npos ? next : next + 1;
        }
        return boxes;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Box& b : All()) texts.push_back(b.text);
        return texts;
    }
    size_t Count() const { return All().size(); }
    // Forgets what was shown so far.
    void Clear() { std::remove(path_.c_str()); }

  private:
    std::string path_;
};

// A system context for one test (its folder is the program folder, the current folder).
class Context {
  public:
    Context() : ctx_(VSKVAL_Create(GetModuleHandleA(nullptr))) {}
    ~Context() { VSKVAL_Delete(ctx_); }
    tagVALUAREA* get() const { return ctx_; }
    operator tagVALUAREA*() const { return ctx_; }
    tagVALUAREA* operator->() const { return ctx_; }

  private:
    tagVALUAREA* ctx_;
};

// A number value from its text (VSKFAQ_GetNumber); fails the test when the text is refused.
inline tagVALUE Num(tagVALUAREA* ctx, const char* text) {
    tagVALUE v{};
    EXPECT_NE(VSKFAQ_GetNumber(ctx, &v, text), nullptr) << text;
    return v;
}

inline std::string Text(tagVALUAREA* ctx, const tagVALUE& v) {
    char text[32] = {};
    VSKFAQ_String(ctx, &v, text);
    return text;
}

// A string value; the caller releases it.
inline tagVALUE Str(tagVALUAREA* ctx, const char* bytes) {
    tagVALUE v{};
    EXPECT_EQ(VSKSTR_SetByte(ctx, &v, bytes), 1) << bytes;
    return v;
}

inline std::string Bytes(tagVALUAREA* ctx, const tagVALUE& v) {
    char out[VSK_BYTEBUF] = {};
    VSKSTR_GetByte(ctx, &v, out);
    return out;
}

}  // namespace vsktest
