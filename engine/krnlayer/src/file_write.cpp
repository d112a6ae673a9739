// The layer text file writer: one TAB per level, LF line ends, numbers as 32-bit floats.
#include <cmath>
#include <cstdio>
#include <string>

#include "krnl_internal.h"
#include "layer_file.h"
#include "nxlib.h"

namespace {

struct Writer {
    const tagKRN* krn;
    std::string out;

    void Line(int level, const std::string& text) {
        out.append(size_t(level), '\t');
        out += text;
        out += '\n';
    }
};

std::string Int(long long v) { return std::to_string(v); }

std::string Vec(const tagKRN3D& v) {
    return krnl::Number(v.x) + ", " + krnl::Number(v.y) + ", " + krnl::Number(v.z);
}

const tagKRNTEXTURE* TextureSlot(const tagKRN* krn, DWORD_PTR htex) {
    if (!krn || !htex) return nullptr;
    DWORD_PTR base = reinterpret_cast<DWORD_PTR>(krn->texture);
    if (htex < base) return nullptr;
    DWORD_PTR off = htex - base;
    if (off % sizeof(tagKRNTEXTURE) || off / sizeof(tagKRNTEXTURE) >= KRN_TEXTUREMAX)
        return nullptr;
    return krn->texture + off / sizeof(tagKRNTEXTURE);
}

void WriteChip(Writer& w, int d, const tagKRNCHIP& c) {
    w.Line(d, "Chip{");
    if (c.flags & KRNCHIP_VERTEXCOLOR) {
        std::string s = "Color3{ ";
        for (int k = 0; k < 3; ++k) {
            s += Int(c.r[k]) + "," + Int(c.g[k]) + "," + Int(c.b[k]);
            s += k < 2 ? ", " : " }";
        }
        w.Line(d + 1, s);
    }
    if (c.flags & KRNCHIP_SMOOTH)
        w.Line(d + 1, "Normal3{ " + Vec(c.n[0]) + ", " + Vec(c.n[1]) + ", " + Vec(c.n[2]) + " }");
    else
        w.Line(d + 1, "Normal{ " + Vec(c.normal) + " }");
    w.Line(d + 1, "Vertex{ " + Vec(c.v[0]) + ", " + Vec(c.v[1]) + ", " + Vec(c.v[2]) + " }");
    if (c.htex) {
        std::string s = "Mapping{ ";
        for (int k = 0; k < 3; ++k) {
            s += krnl::Number(c.x[k]) + ", " + krnl::Number(c.y[k]);
            s += k < 2 ? ", " : " }";
        }
        w.Line(d + 1, s);
    }
    w.Line(d, "}");
}

void WriteLayer(Writer& w, const tagKRNL* l, int d) {
    w.Line(d, "Layer{");
    w.Line(d + 1, std::string("Name{ \"") + l->name + "\" }");
    w.Line(d + 1, "Switch{ " + Int(l->sw) + " }");
    if (!(l->shift.x == 0 && l->shift.y == 0 && l->shift.z == 0))
        w.Line(d + 1, "Shift{ " + Vec(l->shift) + " }");
    if (!(l->rotate.x == 0 && l->rotate.y == 0 && l->rotate.z == 0))
        w.Line(d + 1, "Rotate{ " + Vec(l->rotate) + " }");
    if (!(l->scale.x == 1 && l->scale.y == 1 && l->scale.z == 1))
        w.Line(d + 1, "Scale{ " + Vec(l->scale) + " }");
    if (l->count != 0) w.Line(d + 1, "Count{ " + Int(l->count) + " }");
    if (l->billboard != 0) w.Line(d + 1, "BillBoard{ " + Int(l->billboard) + " }");
    if (l->through != 0) w.Line(d + 1, "Through{ " + Int(l->through) + " }");
    int last[3] = {-1, -1, -1};
    if (l->color != 0xFFFFFFFFu) {
        last[0] = int(l->color & 0xFF);
        last[1] = int((l->color >> 8) & 0xFF);
        last[2] = int((l->color >> 16) & 0xFF);
        w.Line(d + 1,
               "LayerColor{ " + Int(last[0]) + ", " + Int(last[1]) + ", " + Int(last[2]) + " }");
    }
    // NoFog and NoDistance are written too, so that a saved file reads back the same.
    if (l->back || l->wireframe || l->shade == 0 || l->alpha || l->shadow || l->znowrite ||
        l->nofog || l->nodistance) {
        std::string s = "Attribute{ \"FillRect\"";
        if (l->back) s += ", \"BackFace\"";
        if (l->wireframe) s += ", \"WireFrame\"";
        if (l->shade == 0) s += ", \"NoShade\"";
        if (l->alpha) s += ", \"AlphaBlend\"";
        if (l->shadow) s += ", \"ShadowBlend\"";
        if (l->znowrite) s += ", \"ZBufferNoWrite\"";
        if (l->nofog) s += ", \"NoFog\"";
        if (l->nodistance) s += ", \"NoDistance\"";
        w.Line(d + 1, s + " }");
    }
    const tagKRNLT& t = l->texture;
    if (t.htex) {
        w.Line(d + 1, std::string("Texture{ \"") + t.name + "\", " + Int(t.mode) + ", " +
                          krnl::Number(t.cx) + ", " + krnl::Number(t.cy) + ", " +
                          krnl::Number(t.cz) + ", " + krnl::Number(t.u) + ", " + krnl::Number(t.v) +
                          ", " + krnl::Number(t.rotate) + ", " + krnl::Number(t.su) + ", " +
                          krnl::Number(t.sv) + ", " + (t.mask ? " 1 }" : " 0 }"));
    }
    DWORD_PTR lastTexture = 0;
    int lastTrans = 0;
    for (int i = 0; i < l->count && l->lpchip; ++i) {
        const tagKRNCHIP& c = l->lpchip[i];
        if (c.mode == 0) continue;
        if (c.red != last[0] || c.green != last[1] || c.blue != last[2]) {
            last[0] = c.red;
            last[1] = c.green;
            last[2] = c.blue;
            w.Line(d + 1, "Color{ " + Int(c.red) + ", " + Int(c.green) + ", " + Int(c.blue) + " }");
        }
        if (!t.htex && c.htex && c.htex != lastTexture) {
            if (const tagKRNTEXTURE* slot = TextureSlot(w.krn, c.htex)) {
                w.Line(d + 1, std::string("TextureFile{ \"") + slot->file + "\", " +
                                  (slot->mask ? "1" : "0") + " }");
                lastTexture = c.htex;
            }
        }
        if (c.trans != lastTrans) {
            lastTrans = c.trans;
            w.Line(d + 1, "Mixture{ " + Int(c.trans) + " }");
        }
        WriteChip(w, d + 1, c);
    }
    for (int i = 0; i < l->layer; ++i) WriteLayer(w, l->child[i], d + 1);
    w.Line(d, "}");
}

}  // namespace

namespace krnl {

std::string Number(double value) {
    char text[64];
    if (KRN_NumberToString(text, value)) return text;
    // Too large for the short form: the float's own digits, which the reader takes back
    // exactly (there is no exponent in the file's numbers).
    float f = float(value);
    if (std::isnan(f)) return "0";
    if (std::isinf(f)) return std::string(f < 0 ? "-1" : "1") + std::string(39, '0');
    std::snprintf(text, sizeof text, "%.0f", double(f));
    return text;
}

std::string LayerText(const tagKRNL* layer) {
    Writer w{layer->hkrn, {}};
    w.Line(0, "FileInformation{");
    w.Line(1, "\"Korrin Layer 1.0\", \"Halvorstine\", \"Korrin Viewer 1.0\"");
    w.Line(0, "}");
    w.Line(0, "Comment{ \"\" }");
    WriteLayer(w, layer, 0);
    return w.out;
}

}  // namespace krnl

KRNLAPI int WINAPI KRNL_SaveLayer(tagKRNL* layer, const char* path) {
    if (!layer || !path) return 0;
    HANDLE file = NXL_FILE_WriteOpen(path);
    if (!file || file == INVALID_HANDLE_VALUE) return 0;
    std::string text = krnl::LayerText(layer);
    int n = NXL_FILE_Write(file, text.data(), int(text.size()));
    NXL_FILE_Close(file);
    return n == int(text.size()) ? 1 : 0;
}
