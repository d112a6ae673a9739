// The script maker as a program: its errors by file and line, a source with errors writing
// nothing, the listing of a built script, and the sample scripts naming only scripts the build
// makes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "../../common/case_folder.h"
#include "../../common/program_output.h"
#include "simulation/script_ops.h"
#include "world/airportfiles.h"
#include "wynplat.h"

namespace fs = std::filesystem;

namespace {

using programrun::ReadText;

fs::path Bin() { return WynPlat_ProgramDir(); }

class Scemake : public ::testing::Test {
  protected:
    Scemake() { dir_ = MakeCaseFolder("scemake"); }
    // Runs scemake with `args`; its exit code, standard error in err_.
    int Run(const std::string& args) {
        const std::string cmd = (Bin() / "scemake").string() + " " + args + " >" +
                                (dir_ / "out.txt").string() + " 2>" + (dir_ / "err.txt").string();
        const int status = std::system(cmd.c_str());
        err_ = ReadText(dir_ / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path Source(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    }
    fs::path dir_;
    std::string err_;
};

TEST_F(Scemake, ErrorsNameTheFileAndLineAndWriteNothing) {
    std::string big;
    for (int k = 0; k < kScriptMaxBytes / 16; ++k) big += "taxi 1 2 3\n";
    struct Case {
        const char* what;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"unknown opcode", "taxi 1 2 3\ntaxy 1 2 3\n", ":2: unknown opcode \"taxy\""},
        {"too few operands", "# x\n\nland 1 2\n", ":3: too few operands: land (25) takes 3"},
        {"overlong name", "portword \"ABCDEFGHIJKLMNOP\"\n",
         ":1: text \"ABCDEFGHIJKLMNOP\" is 16 bytes; its field holds 15"},
        {"undefined label", "top:\n  goto @bottom\n", ":2: undefined label \"bottom\""},
        {"over the buffer", big + "formation 1\n",
         ":" + std::to_string(kScriptMaxBytes / 16 + 1) + ": the script passes 16384 bytes"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path src = Source("bad" + std::to_string(n) + ".scs", c.text);
        const fs::path out = dir_ / ("bad" + std::to_string(n++) + ".sce");
        EXPECT_EQ(Run(src.string() + " " + out.string()), 1) << c.what;
        EXPECT_EQ(err_, src.string() + c.error + "\n") << c.what;
        EXPECT_FALSE(fs::exists(out)) << c.what;
    }
    // Into a folder: each good source is made, a bad one is not, and the exit says so.
    const fs::path good = Source("good.scs", "formation 1\n");
    const fs::path bad = Source("bad.scs", "formation\n");
    EXPECT_EQ(Run("-o " + (dir_ / "mov").string() + " " + good.string() + " " + bad.string()), 1);
    EXPECT_EQ(fs::file_size(dir_ / "mov" / "good.sce"), 8u);
    EXPECT_FALSE(fs::exists(dir_ / "mov" / "bad.sce"));
    EXPECT_EQ(err_, bad.string() + ":1: too few operands: formation (92) takes 1\n");
    EXPECT_EQ(Run(""), 2);
}

TEST_F(Scemake, ListsABuiltScript) {
    const fs::path arrival = Bin() / "port" / "rjtt" / "mov" / "arr34l.sce";
    ASSERT_EQ(Run("-d " + arrival.string()), 0);
    const std::string listing = ReadText(dir_ / "out.txt");
    EXPECT_EQ(listing.rfind("# arr34l.sce\n    set 0xe000000 1\n    status 0 0x10000\n"
                            "    flyto 4649 -11635 \"FINAL\"\n",
                            0),
              0u)
        << listing;
    EXPECT_NE(listing.find("\n    loadspot\n"), std::string::npos) << listing;
    EXPECT_EQ(Run("-d " + (dir_ / "none.sce").string()), 1);
}

// Every name a sample script can load is a script the build makes: the names of the loading
// records, the spot offers' lines, the candidates, and each route of the airport after the
// climb-out prefix.
TEST_F(Scemake, SampleScriptsLoadOnlyScriptsTheBuildMakes) {
    const fs::path mov = Bin() / "port" / "rjtt" / "mov";
    RouteTable routes{};
    std::vector<SidEntry> sids(kSidEntries);
    const std::string si2 = ReadText(Bin() / "port" / "rjtt" / "etc" / "rjtt.si2");
    ReadRouteFile(reinterpret_cast<const uint8_t*>(si2.data()), si2.size(), &routes,
                  reinterpret_cast<SidTable*>(sids.data()));
    std::set<std::string> route;
    for (const auto& group : routes.entry)
        for (const RouteEntry& e : group)
            if (e.name[0]) route.insert(e.name);
    ASSERT_FALSE(route.empty());
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator(mov)) {
        const std::string bytes = ReadText(entry.path());
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
        std::vector<std::string> names;
        ScriptOp op;
        for (size_t pos = 0; DecodeScriptOp(b, bytes.size(), pos, &op); pos += op.size) {
            switch (op.opcode) {
                case 500:
                case 91:
                case 520:
                case 570:
                case 572:
                case 130:
                case 121:
                case 800:
                    names.push_back(op.text[0]);
                    break;
                case 122:
                    for (int k = 0; k < 3; ++k) names.push_back(op.text[k]);
                    break;
                case 140:
                    for (int k = 0; k < 3; ++k) names.push_back(op.text[2 * k]);
                    break;
                case 830:
                    names.push_back(op.text[3]);
                    break;
                case 550:
                    for (const std::string& r : route) names.push_back(op.text[0] + r);
                    break;
                default:
                    break;
            }
        }
        for (const std::string& name : names)
            if (!name.empty())
                EXPECT_TRUE(fs::exists(mov / (name + ".sce")))
                    << entry.path().filename() << " loads " << name;
        ++scripts;
    }
    EXPECT_GE(scripts, 12);
}

}  // namespace
