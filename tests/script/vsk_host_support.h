// Shared by the executor's and the command libraries' tests: a program folder of the test's
// own (its scripts, and the command libraries linked into it by name), a system context whose
// executor folder it is, and a small host loop that runs a script as task 0 and serves the
// mailbox the way the host program does (windows, key states).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

#include "vsk_test_support.h"
#include "vskcomp.h"
#include "vskexec.h"
#include "vskfile.h"
#include "vsktask.h"
#include "wynplat.h"

namespace vsktest {

namespace fs = std::filesystem;

class ScriptHost {
  public:
    ScriptHost() {
        const auto* t = ::testing::UnitTest::GetInstance()->current_test_info();
        static const std::string base =
            std::getenv("WYN_RUNTIME_DIR") ? std::getenv("WYN_RUNTIME_DIR") : "/tmp";
        static int serial = 0;
        dir_ = fs::path(base) / (std::string(t->test_suite_name()) + "." + t->name() + "." +
                                 std::to_string(++serial));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "run");
        // Named events, mailslots and published windows of this case alone.
        setenv("WYN_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
        for (const char* lib : {"STANDARD.DLL", "FILE.DLL", "STRING.DLL"})
            Link(fs::path(VSK_TEST_BIN_DIR) / lib, lib);
        Link(fs::path(VSK_TEST_PROGRAMS_DIR) / "VSKTEST.DLL", "VSKTEST.DLL");
        ctx_ = VSKVAL_Create(GetModuleHandleA(nullptr));
        char sys[MAX_PATH] = {};
        WynPlat_ToSystemPath(dir_.c_str(), sys, sizeof sys);
        for (char* p = sys; *p; ++p) *p = char(std::toupper(static_cast<unsigned char>(*p)));
        std::snprintf(ctx_->execdir, sizeof ctx_->execdir, "%s", sys);
        SetCurrentDirectoryA(sys);
        // The executor's folder, as the host program notes it for the file commands.
        tagVALUE dirText{};
        VSKSTR_SetByte(ctx_, &dirText, sys);
        VSKVAL_Set(ctx_, &ctx_->vbsystem, VSK_SYS_EXECDIR, &dirText);
    }
    ~ScriptHost() {
        VSKVAL_Delete(ctx_);
        // A program the case started (the stand-by window) may still be taking its message
        // socket away: the folder goes once nothing races with its removal.
        std::error_code ec;
        for (int i = 0; i < 50 && fs::remove_all(dir_, ec) == static_cast<std::uintmax_t>(-1); ++i)
            usleep(100000);
    }
    tagVALUAREA* ctx() const { return ctx_; }
    operator tagVALUAREA*() const { return ctx_; }
    const fs::path& dir() const { return dir_; }

    // Links `target` into the folder under `name`.
    void Link(const fs::path& target, const std::string& name) const {
        fs::remove(dir_ / name);
        fs::create_symlink(target, dir_ / name);
    }
    // Writes a script source NAME.SNA (Shift-JIS bytes as written here).
    void Write(const std::string& name, const std::string& source) const {
        std::ofstream(dir_ / name, std::ios::binary) << source;
    }
    // Compiles `source` into NAME (a compiled script file) through the compiler.
    bool WriteCompiled(const std::string& name, const std::string& source) const {
        auto* text = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, source.size() + 2));
        std::memcpy(text, source.data(), source.size());
        text[source.size()] = 0x1A;
        tagCOMPBLOCK job{};
        std::snprintf(job.name, sizeof job.name, "%s", name.c_str());
        job.lpoldtop = job.lpold = text;
        job.oldsize = DWORD(source.size() + 2);
        if (!VSKCOMP_Comp(&job)) {
            VSKTASK_FreeMemory(nullptr, job.lpoldtop);
            return false;
        }
        std::string path = (dir_ / name).string();
        char sys[MAX_PATH] = {};
        WynPlat_ToSystemPath(path.c_str(), sys, sizeof sys);
        bool ok = VSKCOMP_Pack(nullptr, sys, job.lpnewtop, DWORD(job.lpnew - job.lpnewtop));
        VSKTASK_FreeMemory(nullptr, job.lpnewtop);
        return ok;
    }

    // Runs `name` as task 0 (as the host does: its first local frame, then the task) and serves
    // messages and the mailbox until no task is live. The task number, or -1.
    int Run(const char* name) {
        VSKVAL_CreateLocal(ctx_, 0, nullptr);
        int task = VSKEXEC_ExecuteTask(ctx_, 0, name);
        if (task < 0) {
            VSKVAL_DeleteLocal(ctx_, 0);
            return task;
        }
        while (VSKEXEC_SystemTask(ctx_)) {
            Serve();
            VSKEXEC_HostWait(ctx_);
        }
        Serve();
        return task;
    }
    // The mailbox, as the host serves it; key states come from `keys`.
    void Serve() {
        DWORD command = 0;
        DWORD_PTR data = 0;
        while (VSKEXEC_TakeRequest(ctx_, &command, &data)) {
            ++served[command];
            switch (command) {
                case VSK_HOST_CREATEWINDOW: {
                    auto* cw = reinterpret_cast<tagVSKCOMCW*>(data);
                    data = reinterpret_cast<DWORD_PTR>(
                        CreateWindowExA(cw->dwExStyle, cw->lpszClassName, cw->lpszWindowName,
                                        cw->dwStyle, cw->x, cw->y, cw->nWidth, cw->nHeight,
                                        cw->hwndParent, cw->hmenu, ctx_->hinstance, nullptr));
                    break;
                }
                case VSK_HOST_DESTROYWINDOW:
                    DestroyWindow(reinterpret_cast<HWND>(data));
                    break;
                case VSK_HOST_KEYSTATE:
                case VSK_HOST_ASYNCKEYSTATE:
                    data = DWORD_PTR(int16_t(keys[int(data) & 0xFF]));
                    break;
                case VSK_HOST_KEYBOARD:
                    for (int k = 0; k < 256; ++k)
                        reinterpret_cast<BYTE*>(data)[k] = keys[k] < 0 ? 0x80 : 0;
                    break;
            }
            VSKEXEC_AnswerRequest(ctx_, data);
        }
    }

    // Slots of the user block.
    tagVALUE User(int n) const { return ctx_->vbuser.lpvalue[n]; }
    std::string UserText(int n) const {
        tagVALUE v = User(n);
        char text[VSK_BYTEBUF + 8] = {};
        VSKVAL_DisplayValue(ctx_, &v, text, sizeof text);
        return text;
    }

    short keys[256] = {};  // what GetKeyState answers (negative: held)
    std::map<DWORD, int> served;

  private:
    fs::path dir_;
    tagVALUAREA* ctx_;
};

// A script and the display texts it leaves in user variables.
struct ScriptCase {
    const char* source;
    std::vector<std::pair<int, const char*>> expect;  // user variable, display text
};

// Runs each case's script as MAIN on a host of its own, made ready by `prepare` (further
// scripts, screens) when given: the user variables show the expected texts and no message box
// was shown.
template <class Host = ScriptHost>
void RunScriptCases(const ScriptCase* cases, size_t count,
                    std::type_identity_t<void (*)(Host&)> prepare = nullptr) {
    for (size_t i = 0; i < count; ++i) {
        const ScriptCase& c = cases[i];
        Host h;
        if (prepare) prepare(h);
        h.Write("MAIN.SNA", c.source);
        Boxes boxes;
        h.Run("MAIN");
        for (auto& [n, text] : c.expect) EXPECT_EQ(h.UserText(n), text) << c.source << " $" << n;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{}) << c.source;
    }
}

}  // namespace vsktest
