// vfsmake: packs the files of a folder into .vfs archives of the entry width their reader
// uses (32 packed: picture, older sound and script libraries; 36 aligned: utility library,
// current sound library; 280 long names: the 3D engine, layer library and game), by either
// naming rule:
//   vfsmake <32|36|280> <folder> <archive.vfs>     one archive per folder (data\x.bmp is
//                                                  the entry x.bmp of data.vfs)
//   vfsmake -stem <32|36|280> <folder> <out folder>  one archive per stem (data\x.bmp is the
//                                                  entry x.bmp of data\x.vfs)
// Names are stored in Shift-JIS, as the readers compare them.
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "vfs_writer.h"

namespace {

std::string ToSjis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1)) return utf8;
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = out.size();
    char* o = out.data();
    size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1)) return utf8;
    out.resize(out.size() - outLeft);
    return out;
}

bool Write(const std::string& path, const std::vector<vfsmake::Item>& items, int width) {
    std::string error;
    std::vector<uint8_t> archive = vfsmake::Build(items, width, &error);
    if (archive.empty()) {
        std::fprintf(stderr, "vfsmake: %s\n", error.c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vfsmake: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool perStem = argc == 5 && std::strcmp(argv[1], "-stem") == 0;
    if (argc != 4 && !perStem) {
        std::fprintf(stderr,
                     "usage: vfsmake [-stem] <32|36|280> <folder> <archive.vfs | out folder>\n");
        return 2;
    }
    int first = perStem ? 2 : 1;
    int width = std::atoi(argv[first]);
    namespace fs = std::filesystem;
    std::vector<vfsmake::Item> items;
    std::vector<std::string> stems;  // the UTF-8 stem of each item, for the archive's name
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(argv[first + 1], ec)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        vfsmake::Item it;
        std::string name = e.path().filename().string();
        it.name = ToSjis(name);
        it.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        items.push_back(std::move(it));
        stems.push_back(name.substr(0, name.find('.')));
    }
    if (ec) {
        std::fprintf(stderr, "vfsmake: cannot read %s\n", argv[first + 1]);
        return 1;
    }
    if (!perStem) {
        std::sort(items.begin(), items.end(),
                  [](const vfsmake::Item& a, const vfsmake::Item& b) { return a.name < b.name; });
        return Write(argv[first + 2], items, width) ? 0 : 1;
    }
    std::map<std::string, std::vector<vfsmake::Item>> groups;
    for (size_t i = 0; i < items.size(); ++i) groups[stems[i]].push_back(items[i]);
    fs::create_directories(argv[first + 2], ec);
    for (auto& [stem, group] : groups) {
        std::sort(group.begin(), group.end(),
                  [](const vfsmake::Item& a, const vfsmake::Item& b) { return a.name < b.name; });
        if (!Write((fs::path(argv[first + 2]) / (stem + ".vfs")).string(), group, width)) return 1;
    }
    return 0;
}
