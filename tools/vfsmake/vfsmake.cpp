// vfsmake: packs the files of a folder into a .vfs archive of the entry width its reader
// uses (32 packed: picture, older sound and script libraries; 36 aligned: utility library,
// current sound library; 280 long names: the 3D engine, layer library and game).
//   vfsmake <32|36|280> <folder> <archive.vfs>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "vfs_writer.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vfsmake <32|36|280> <folder> <archive.vfs>\n");
        return 2;
    }
    int width = std::atoi(argv[1]);
    namespace fs = std::filesystem;
    std::vector<vfsmake::Item> items;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(argv[2], ec)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        vfsmake::Item it;
        it.name = e.path().filename().string();
        it.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        items.push_back(std::move(it));
    }
    if (ec) {
        std::fprintf(stderr, "vfsmake: cannot read %s\n", argv[2]);
        return 1;
    }
    std::sort(items.begin(), items.end(),
              [](const vfsmake::Item& a, const vfsmake::Item& b) { return a.name < b.name; });
    std::string error;
    std::vector<uint8_t> archive = vfsmake::Build(items, width, &error);
    if (archive.empty()) {
        std::fprintf(stderr, "vfsmake: %s\n", error.c_str());
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary);
    out.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vfsmake: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
