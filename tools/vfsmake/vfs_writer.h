// Builds a .vfs archive image: the 16-byte header, the directory in one of the three entry
// widths, then the files' data. Shared by the archive maker and the tests' fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vfsmake {

struct Item {
    std::string name;  // without folder, as stored
    std::vector<uint8_t> data;
};

struct Layout {
    size_t nameField, atb, date, time, offset, size;
};

inline bool LayoutOf(int width, Layout* l) {
    switch (width) {
        case 32:
            *l = {13, 13, 15, 17, 19, 23};
            return true;
        case 36:
            *l = {13, 14, 16, 18, 20, 24};
            return true;
        case 280:
            *l = {256, 256, 258, 260, 264, 268};
            return true;
    }
    return false;
}

inline void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}
inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

// The archive, or an empty vector (with `error` set) when a name does not fit its field
// (a name must leave room for its terminating 0) or there are too many entries.
inline std::vector<uint8_t> Build(const std::vector<Item>& items, int width,
                                  std::string* error = nullptr) {
    Layout l;
    if (!LayoutOf(width, &l)) {
        if (error) *error = "entry width must be 32, 36 or 280";
        return {};
    }
    if (items.size() > 0xFFFF) {
        if (error) *error = "too many files";
        return {};
    }
    size_t dirBytes = items.size() * size_t(width);
    size_t total = 16 + dirBytes;
    for (const Item& it : items) total += it.data.size();
    std::vector<uint8_t> out(16 + dirBytes);
    Put16(out, 0, 0x4656);  // "VF"
    Put16(out, 2, 1);
    Put16(out, 4, uint32_t(items.size()));
    Put16(out, 6, uint32_t(width));
    Put32(out, 8, uint32_t(dirBytes));
    Put32(out, 12, uint32_t(total));
    uint32_t offset = uint32_t(16 + dirBytes);
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        if (it.name.empty() || it.name.size() >= l.nameField) {
            if (error) *error = "name does not fit the entry: " + it.name;
            return {};
        }
        size_t at = 16 + i * size_t(width);
        for (size_t k = 0; k < it.name.size(); ++k) out[at + k] = uint8_t(it.name[k]);
        Put16(out, at + l.atb, 0x20);
        Put32(out, at + l.offset, offset);
        Put32(out, at + l.size, uint32_t(it.data.size()));
        offset += uint32_t(it.data.size());
    }
    for (const Item& it : items) out.insert(out.end(), it.data.begin(), it.data.end());
    return out;
}

}  // namespace vfsmake
