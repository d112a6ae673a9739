// The layer text file reader. All blanks are removed first; then an entry is a keyword, "{",
// its content and "}". Unknown entries are skipped up to the next "}".
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

#include "krnl_internal.h"
#include "layer_file.h"
#include "nxlib.h"

namespace {

// Layer blocks deeper than this are skipped like unknown entries: the reader recurses.
constexpr int kMaxDepth = 200;

struct Reader {
    tagKRN* krn;
    tagKRNL* master;
    std::string folder;
    int slot;
    const char* end;
    bool stop = false;
    krnl::ReadNotes* notes;
};

bool IsLead(char c) {
    unsigned char b = (unsigned char)c;
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The next character (a double-byte character's trail byte may look like "}").
const char* Next(const Reader& r, const char* p) {
    if (p >= r.end) return r.end;
    if (IsLead(*p) && p + 1 < r.end) return p + 2;
    return p + 1;
}

// Past the next "}" (or at the end).
const char* SkipEntry(const Reader& r, const char* p) {
    while (p < r.end) {
        if (*p == '}') return p + 1;
        p = Next(r, p);
    }
    return r.end;
}

// A string between double quotes; p is left behind the closing quote.
bool ReadString(const Reader& r, const char*& p, std::string& out) {
    out.clear();
    if (p >= r.end || *p != '"') return false;
    const char* q = p + 1;
    while (q < r.end && *q != '"') q = Next(r, q);
    out.assign(p + 1, size_t((q < r.end ? q : r.end) - (p + 1)));
    p = q < r.end ? q + 1 : r.end;
    return true;
}

// Up to `max` numbers separated by ","; returns how many were read.
int ReadNumbers(const Reader& r, const char*& p, double* out, int max) {
    int n = 0;
    while (p < r.end && n < max) {
        float f = 0.0f;
        const char* q = NXL_STR_StrToFlt(p, &f);
        if (!q || q == p || q > r.end) break;
        out[n++] = double(f);
        p = q;
        if (p < r.end && *p == ',')
            ++p;
        else
            break;
    }
    return n;
}

double One(const Reader& r, const char*& p, double fallback = 0.0) {
    double v = fallback;
    ReadNumbers(r, p, &v, 1);
    return v;
}

// Truncated toward zero, held inside the int range (NaN gives 0).
int ToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return int(v);
}

int Byte(double v) {
    int i = ToInt(v);
    return i < 0 ? 0 : i > 255 ? 255 : i;
}

struct Block {
    tagKRN3D shift = {0, 0, 0, 0};
    tagKRN3D rotate = {0, 0, 0, 0};
    tagKRN3D scale = {1, 1, 1, 0};
    int color[3] = {255, 255, 255};
    DWORD flags = 0;
    DWORD_PTR texture = 0;
    tagKRNLT mapping = {};
    int trans = 0;
    long long count = -1;  // no Count yet
    std::vector<tagKRNCHIP> chips;
};

const char* ReadChip(Reader& r, const char* p, tagKRNCHIP& c) {
    while (p < r.end) {
        if (*p == '}') return p + 1;
        char kw[NXL_MAX_KEYWORD];
        const char* q = NXL_STR_GetKeyword(p, kw, sizeof kw);
        if (!q || q > r.end) return r.end;
        if (q == p) {
            p = Next(r, p);
            continue;
        }
        p = q;
        if (p >= r.end || *p != '{') continue;
        ++p;
        double n[9] = {};
        if (!strcasecmp(kw, "Color3")) {
            ReadNumbers(r, p, n, 9);
            for (int k = 0; k < 3; ++k) {
                c.r[k] = Byte(n[k * 3]);
                c.g[k] = Byte(n[k * 3 + 1]);
                c.b[k] = Byte(n[k * 3 + 2]);
            }
            c.red = (c.r[0] + c.r[1] + c.r[2]) / 3;
            c.green = (c.g[0] + c.g[1] + c.g[2]) / 3;
            c.blue = (c.b[0] + c.b[1] + c.b[2]) / 3;
            c.flags |= KRNCHIP_VERTEXCOLOR | KRNCHIP_SMOOTH;
        } else if (!strcasecmp(kw, "Vertex")) {
            ReadNumbers(r, p, n, 9);
            for (int k = 0; k < 3; ++k) KRN_Set3D(&c.v[k], n[k * 3], n[k * 3 + 1], n[k * 3 + 2], 0);
        } else if (!strcasecmp(kw, "Normal")) {
            ReadNumbers(r, p, n, 3);
            KRN_Set3D(&c.normal, n[0], n[1], n[2], 0);
            for (auto& v : c.n) v = c.normal;
        } else if (!strcasecmp(kw, "Normal3")) {
            ReadNumbers(r, p, n, 9);
            for (int k = 0; k < 3; ++k) KRN_Set3D(&c.n[k], n[k * 3], n[k * 3 + 1], n[k * 3 + 2], 0);
            KRN_AverageNormal3D(&c.normal, &c.n[0], &c.n[1], &c.n[2]);
            c.flags |= KRNCHIP_SMOOTH;
        } else if (!strcasecmp(kw, "Mapping")) {
            ReadNumbers(r, p, n, 6);
            for (int k = 0; k < 3; ++k) {
                c.x[k] = n[k * 2];
                c.y[k] = n[k * 2 + 1];
            }
        }
        p = SkipEntry(r, p);
    }
    return r.end;
}

DWORD_PTR LoadTexture(Reader& r, const std::string& name, int mask) {
    if (!r.krn) return 0;
    std::string path = r.folder + name;
    return KRN_ReadTexture(r.krn, path.c_str(), mask);
}

void Attribute(tagKRNL* l, Block& b, const std::string& s) {
    struct Item {
        const char* name;
        int tagKRNL::*field;
        int value;
        DWORD flag;
    };
    static const Item items[] = {
        {"BackFace", &tagKRNL::back, 1, KRNCHIP_TWOSIDED},
        {"WireFrame", &tagKRNL::wireframe, 1, KRNCHIP_WIREFRAME},
        {"NoShade", &tagKRNL::shade, 0, KRNCHIP_UNSHADED},
        {"AlphaBlend", &tagKRNL::alpha, 1, KRNCHIP_ALPHA},
        {"ShadowBlend", &tagKRNL::shadow, 1, KRNCHIP_SHADOW},
        {"ZBufferNoWrite", &tagKRNL::znowrite, 1, KRNCHIP_ZNOWRITE},
        {"NoFog", &tagKRNL::nofog, 1, KRNCHIP_NOFOG},
        {"NoDistance", &tagKRNL::nodistance, 1, KRNCHIP_NOFAR},
    };
    for (const Item& it : items)
        if (!strcasecmp(s.c_str(), it.name)) {
            if (l) l->*it.field = it.value;
            b.flags |= it.flag;
        }
}

const char* ReadBlock(Reader& r, tagKRNL* layer, const char* p, int depth);

// Stores the block's chips, texture mapping and placement into its layer.
void FinishBlock(Reader& r, tagKRNL* l, Block& b) {
    if (b.count >= 0 && (long long)b.chips.size() > b.count) {
        r.notes->beyondCount += int(b.chips.size() - size_t(b.count));
        b.chips.resize(size_t(b.count));
    }
    if (!l) {
        if (b.mapping.htex && r.krn) KRN_DeleteTexture(r.krn, b.mapping.htex);
        return;
    }
    if (!b.chips.empty() && !r.stop && r.krn) {
        int n = int(b.chips.size());
        int at = KRN_SearchChip(r.krn, r.slot < 0 ? 0 : r.slot, n);
        if (at < 0) {
            r.notes->noRoom += n;
            r.stop = true;
        } else {
            for (int i = 0; i < n; ++i) KRN_SetChip(r.krn, at + i, &b.chips[size_t(i)]);
            KRNL_CaptureLayer(l, at, n);
        }
    }
    l->texture = b.mapping;
    KRNL_AbsMoveLayer(l, &b.shift, &b.rotate, &b.scale);
}

// One entry of a layer block, p behind its "{"; returns the position behind the entry.
const char* BlockEntry(Reader& r, tagKRNL* l, Block& b, const char* kw, const char* p, int depth) {
    double n[10] = {};
    std::string s;
    if (!strcasecmp(kw, "Layer")) {
        if (depth >= kMaxDepth) return SkipEntry(r, p);
        tagKRNL* child = nullptr;
        if (l) {
            char name[KRNL_NAMEMAX];
            krnl::CopyName(name, "新しいレイヤ");
            KRNL_CheckSameName(r.master, name);
            child = KRNL_CreateLayer(l, name);
        }
        return ReadBlock(r, child, p, depth + 1);
    }
    if (!strcasecmp(kw, "Chip")) {
        tagKRNCHIP c;
        std::memset(&c, 0, sizeof c);
        c.mode = KRNCHIP_SHOW;
        c.flags = b.flags;
        c.red = b.color[0];
        c.green = b.color[1];
        c.blue = b.color[2];
        for (int k = 0; k < 3; ++k) {
            c.r[k] = b.color[0];
            c.g[k] = b.color[1];
            c.b[k] = b.color[2];
        }
        c.htex = b.texture;
        c.trans = b.trans;
        p = ReadChip(r, p, c);
        if (b.count < 0) ++r.notes->beforeCount;
        // More chips than the engine holds can never be stored; they are not kept either.
        if (b.count >= 0 && (long long)b.chips.size() >= b.count)
            ++r.notes->beyondCount;
        else if (!r.krn || (long long)b.chips.size() <= r.krn->chipmax)
            b.chips.push_back(c);
        return p;
    }
    if (!strcasecmp(kw, "Name")) {
        if (ReadString(r, p, s) && l) {
            char name[KRNL_NAMEMAX];
            krnl::CopyName(name, s.c_str());
            KRNL_CheckSameName(r.master, name);
            std::memcpy(l->name, name, sizeof name);
        }
    } else if (!strcasecmp(kw, "Shift") || !strcasecmp(kw, "Rotate") || !strcasecmp(kw, "Scale")) {
        tagKRN3D& v = !strcasecmp(kw, "Shift")    ? b.shift
                      : !strcasecmp(kw, "Rotate") ? b.rotate
                                                  : b.scale;
        n[0] = v.x, n[1] = v.y, n[2] = v.z;
        ReadNumbers(r, p, n, 3);
        KRN_Set3D(&v, n[0], n[1], n[2], 0);
    } else if (!strcasecmp(kw, "Switch")) {
        if (l) l->sw = ToInt(One(r, p));
    } else if (!strcasecmp(kw, "Count")) {
        double c = One(r, p);
        b.count = c < 0 || !(c == c) ? 0 : c > 2147483647.0 ? 2147483647 : (long long)c;
    } else if (!strcasecmp(kw, "LayerColor")) {
        ReadNumbers(r, p, n, 3);
        for (int k = 0; k < 3; ++k) b.color[k] = ToInt(n[k]) & 0xFF;
        if (l) l->color = DWORD(b.color[0] | b.color[1] << 8 | b.color[2] << 16);
    } else if (!strcasecmp(kw, "Color")) {
        n[0] = n[1] = n[2] = 255;
        ReadNumbers(r, p, n, 3);
        for (int k = 0; k < 3; ++k) b.color[k] = Byte(n[k]);
    } else if (!strcasecmp(kw, "Back") || !strcasecmp(kw, "Wireframe")) {
        bool back = !strcasecmp(kw, "Back");
        if (One(r, p) == 1.0) {
            if (l) (back ? l->back : l->wireframe) = 1;
            b.flags |= back ? KRNCHIP_TWOSIDED : KRNCHIP_WIREFRAME;
        }
    } else if (!strcasecmp(kw, "Mixture")) {
        b.trans = ToInt(One(r, p));
        if (l) l->mixture = b.trans;
    } else if (!strcasecmp(kw, "BillBoard")) {
        if (l) l->billboard = ToInt(One(r, p));
    } else if (!strcasecmp(kw, "Through")) {
        if (l) l->through = ToInt(One(r, p));
    } else if (!strcasecmp(kw, "Attribute")) {
        while (ReadString(r, p, s)) {
            Attribute(l, b, s);
            if (p < r.end && *p == ',')
                ++p;
            else
                break;
        }
    } else if (!strcasecmp(kw, "Texture")) {
        if (ReadString(r, p, s)) {
            if (p < r.end && *p == ',') ++p;
            ReadNumbers(r, p, n, 10);
            DWORD_PTR htex = LoadTexture(r, s, n[9] != 0 ? 1 : 0);
            if (b.mapping.htex && r.krn) KRN_DeleteTexture(r.krn, b.mapping.htex);
            tagKRNLT& m = b.mapping;
            std::memset(&m, 0, sizeof m);
            krnl::CopyName(m.name, s.c_str());
            m.htex = htex;
            m.mode = ToInt(n[0]);
            m.cx = n[1], m.cy = n[2], m.cz = n[3];
            m.u = n[4], m.v = n[5], m.rotate = n[6];
            m.su = n[7], m.sv = n[8];
            m.mask = n[9] != 0 ? 1 : 0;
            b.texture = htex;
        }
    } else if (!strcasecmp(kw, "TextureFile")) {
        if (ReadString(r, p, s)) {
            if (p < r.end && *p == ',') ++p;
            b.texture = LoadTexture(r, s, One(r, p) == 1.0 ? 1 : 0);
        }
    }
    return SkipEntry(r, p);
}

// Reads entries into the layer (NULL: read and dropped) up to the block's "}".
const char* ReadBlock(Reader& r, tagKRNL* layer, const char* p, int depth) {
    Block b;
    while (p < r.end && !r.stop) {
        if (*p == '}') {
            ++p;
            break;
        }
        char kw[NXL_MAX_KEYWORD];
        const char* q = NXL_STR_GetKeyword(p, kw, sizeof kw);
        if (!q || q > r.end) {
            p = r.end;
            break;
        }
        if (q == p) {
            p = Next(r, p);
            continue;
        }
        p = q;
        if (p >= r.end || *p != '{') continue;
        p = BlockEntry(r, layer, b, kw, p + 1, depth);
    }
    FinishBlock(r, layer, b);
    return p;
}

}  // namespace

namespace krnl {

void ReadLayerText(tagKRNL* layer, const char* text, size_t n, const char* folder, int slot,
                   ReadNotes* notes) {
    if (!layer || !text) return;
    std::string clean;
    clean.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c == 0 || c == 0x1A) break;
        if (c == '\t' || c == '\n' || c == '\r' || c == ' ') continue;
        clean += c;
    }
    ReadNotes local;
    Reader r{layer->hkrn,
             KRNL_GetMasterLayer(layer),
             folder ? folder : "",
             slot,
             clean.data() + clean.size(),
             false,
             notes ? notes : &local};
    const char* p = clean.data();
    // At the top level only layer blocks have an effect.
    while (p < r.end && !r.stop) {
        char kw[NXL_MAX_KEYWORD];
        const char* q = NXL_STR_GetKeyword(p, kw, sizeof kw);
        if (!q || q > r.end) break;
        if (q == p) {
            p = Next(r, p);
            continue;
        }
        p = q;
        if (p >= r.end || *p != '{') continue;
        ++p;
        if (!strcasecmp(kw, "Layer")) {
            char name[KRNL_NAMEMAX];
            krnl::CopyName(name, "新しいレイヤ");
            KRNL_CheckSameName(r.master, name);
            p = ReadBlock(r, KRNL_CreateLayer(layer, name), p, 1);
        } else {
            p = SkipEntry(r, p);
        }
    }
}

}  // namespace krnl

KRNLAPI int WINAPI KRNL_LoadLayer(tagKRNL* layer, const char* path, int slot) {
    if (!layer || !path) return 0;
    char* text = static_cast<char*>(NXL_FILE_ReadBlock(path, 1));
    if (!text) return 0;
    char folder[NXL_MAX_PATH];
    NXL_FILE_SeparateFile(path, folder, nullptr);
    krnl::ReadNotes notes;
    krnl::ReadLayerText(layer, text, std::strlen(text), folder, slot, &notes);
    NXL_MEM_Free(text);
    if (notes.beforeCount || notes.beyondCount || notes.noRoom) {
        std::string msg = path;
        char line[160];
        if (notes.beforeCount) {
            std::snprintf(line, sizeof line,
                          "\nCount より前に置かれたチップ %d 個を読み込みました。",
                          notes.beforeCount);
            msg += line;
        }
        if (notes.beyondCount) {
            std::snprintf(line, sizeof line, "\nCount を超えるチップ %d 個は読み込みませんでした。",
                          notes.beyondCount);
            msg += line;
        }
        if (notes.noRoom) {
            std::snprintf(line, sizeof line,
                          "\n空きチップが足りず、%d 個のチップから先を読み込めませんでした。",
                          notes.noRoom);
            msg += line;
        }
        krnl::Report(layer->hkrn, msg);
    }
    return 1;
}
