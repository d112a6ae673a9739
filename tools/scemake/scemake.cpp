// scemake: the aircraft move scripts (.sce) from their source form, and back.
//
//   scemake <source> <script>            makes one script
//   scemake -o <folder> <source>...      makes <folder>/<name>.sce of each <name>.scs
//   scemake -d <script> [<listing>]      lists a script in the source form (standard output, or
//                                        the listing file), so that scemake of the listing
//                                        makes the same bytes
//
// A source line is "label:", or an opcode (number or mnemonic of the game's opcode table) with
// its operands: decimal or 0x numbers, "texts" (UTF-8, written in Shift-JIS; \" \\ \xHH),
// @label (the label's byte offset). '#' starts a comment; ".word" and ".byte" give raw values.
// Errors are printed as "file:line: text"; a source with errors writes no file (exit 1).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "simulation/script_ops.h"

namespace fs = std::filesystem;

namespace {

bool ReadAll(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteAll(const fs::path& path, const void* data, size_t size) {
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    out.close();
    if (out) return true;
    std::fprintf(stderr, "%s: cannot write\n", path.string().c_str());
    return false;
}

bool Make(const std::string& source, const fs::path& script) {
    std::string text;
    if (!ReadAll(source, &text)) {
        std::fprintf(stderr, "%s: cannot read\n", source.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    std::vector<ScriptError> errors;
    if (!MakeScript(text, &bytes, &errors)) {
        for (const ScriptError& e : errors)
            std::fprintf(stderr, "%s:%d: %s\n", source.c_str(), e.line, e.text.c_str());
        return false;
    }
    return WriteAll(script, bytes.data(), bytes.size());
}

bool List(const std::string& script, const char* listing) {
    std::string bytes;
    if (!ReadAll(script, &bytes)) {
        std::fprintf(stderr, "%s: cannot read\n", script.c_str());
        return false;
    }
    const std::string text =
        "# " + fs::path(script).filename().string() + "\n" +
        ListScript(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (listing) return WriteAll(listing, text.data(), text.size());
    std::fwrite(text.data(), 1, text.size(), stdout);
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: scemake <source> <script>\n"
                 "       scemake -o <folder> <source>...\n"
                 "       scemake -d <script> [<listing>]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string first = argv[1];
    if (first == "-d") {
        if (argc > 4) return Usage();
        return List(argv[2], argc == 4 ? argv[3] : nullptr) ? 0 : 1;
    }
    if (first == "-o") {
        if (argc < 4) return Usage();
        bool ok = true;
        for (int i = 3; i < argc; ++i) {
            const fs::path out = fs::path(argv[2]) / fs::path(argv[i]).stem();
            ok = Make(argv[i], out.string() + ".sce") && ok;
        }
        return ok ? 0 : 1;
    }
    if (argc != 3) return Usage();
    return Make(argv[1], argv[2]) ? 0 : 1;
}
