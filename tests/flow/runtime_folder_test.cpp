// Every program of the set refuses to run without a runtime folder it can use (the folder where
// the programs find each other's windows and hand over): one message box naming the folder and
// why, a non-zero exit, and nothing written anywhere else in its stead.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "../common/case_folder.h"
#include "../common/child_process.h"
#include "../common/program_output.h"

namespace fs = std::filesystem;

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

TEST(RuntimeFolder, EveryProgramRefusesToRunWithoutOne) {
    const fs::path dir = MakeCaseFolder("runtime_folder");
    const char* bin = std::getenv("WYN_PROGRAM_DIR");
    ASSERT_NE(bin, nullptr);
    // A file where a folder of the path should be; a name longer than a folder's name can be.
    std::ofstream(dir / "blocker") << "not a folder";
    struct Folder {
        std::string path, reason;
    };
    const Folder folders[] = {
        {(dir / "blocker" / "run").string(), U8(u8"パスの途中にフォルダでないものがあります")},
        {(dir / std::string(300, 'r')).string(), U8(u8"パスが長すぎます")},
    };
    const char* programs[] = {"wynopen",  "standby",  "vsk33",   "wyntower",
                              "wyndemoa", "wyndemob", "wyndemoc"};
    const std::set<std::string> root = Listing("/"), before = Listing(dir);
    ChildProcesses children;
    int n = 0;
    for (const Folder& f : folders)
        for (const char* program : programs) {
            SCOPED_TRACE(std::string(program) + " with " + f.path.substr(0, 80));
            const fs::path log = dir / ("boxes" + std::to_string(n++) + ".log");
            const pid_t pid = children.Start(
                {std::string(bin) + "/" + program},
                {{"WYN_RUNTIME_DIR", f.path}, {"WYN_MSGBOX_LOG", log.string()}, {"WYN_LANG", "ja"}},
                bin);
            ASSERT_NE(pid, 0);
            EXPECT_EQ(children.Wait(pid), 1);
            const std::string boxes = programrun::ReadText(log.string());
            EXPECT_EQ(programrun::Count(boxes, "[MessageBox] "), 1) << boxes;
            EXPECT_EQ(boxes.rfind(std::string("[MessageBox] ") + program + ": ", 0), 0u) << boxes;
            EXPECT_NE(boxes.find(f.path), std::string::npos) << boxes;
            EXPECT_NE(boxes.find(f.reason), std::string::npos) << boxes;
            fs::remove(log);
        }
    EXPECT_EQ(Listing("/"), root) << "nothing bound or written at the root";
    EXPECT_EQ(Listing(dir), before) << "nothing made beside the folder";
}

}  // namespace
