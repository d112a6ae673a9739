// Cells, the library's memory and messages, and the file lookup of its readers.
#include <cstring>

#include "nxl_vfs.h"
#include "umb_internal.h"

namespace {

const char kCaption[] = "UMB33.DLL";

}  // namespace

bool UmbJapanese() {
    static const bool japanese = GetProfileIntA("intl", "iCountry", 0) == 81;
    return japanese;
}

void* UmbAlloc(size_t bytes) {
    if (bytes == 0) bytes = 1;  // an empty block would not lock
    for (;;) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
        if (h) {
            void* p = GlobalLock(h);
            if (p) return p;
            GlobalFree(h);
        }
        const char* text =
            UmbJapanese()
                ? "ﾒﾓﾘが不足しています。\n他のｱﾌﾟﾘｹｰｼｮﾝを終了して[再試行]してください。\n"
                  "[ｷｬﾝｾﾙ]を選ぶと強制的に処理を継続しますが\nその後の動作は保証されません。"
                : "Out of Memory.\nQuit another apprications, and push [Retry].\nif you select "
                  "[Cancel], it is executed compulsory, but no guarantee.";
        if (MessageBoxA(nullptr, text, kCaption, MB_RETRYCANCEL | MB_ICONHAND | MB_TASKMODAL) !=
            IDRETRY)
            return nullptr;
    }
}

void UmbFree(void* p) {
    if (!p) return;
    HGLOBAL h = GlobalHandle(p);
    if (!h) return;
    GlobalUnlock(h);
    GlobalFree(h);
}

void UmbShowMissing(LPCSTR path) {
    char text[1100];
    wsprintfA(text, UmbJapanese() ? "ファイル \"%s\" が読み込めません。" : "File not found \"%s\".",
              path ? path : "");
    MessageBoxA(nullptr, text, kCaption, MB_OK | MB_ICONHAND);
}

void UmbEmptyCell(tagCELL* cell) {
    if (!cell) return;
    UmbFree(cell->bits);
    std::memset(cell, 0, sizeof *cell);
    cell->mask = CELL_MASK_NONE;
}

BYTE* UmbReadFile(LPCSTR path, size_t* size) {
    *size = 0;
    static const NxlVfsRule kRule = {VFS_ENTRY_PACKED, 1};
    tagVFENTRY entry;
    HFILE f = NxlVfs_OpenHFile(path, &kRule, &entry);
    if (f == HFILE_ERROR) {
        UmbShowMissing(path);
        return nullptr;
    }
    BYTE* data = entry.size <= 0x7FFFFFFFu ? static_cast<BYTE*>(UmbAlloc(entry.size)) : nullptr;
    if (data && _hread(f, data, LONG(entry.size)) != LONG(entry.size)) {
        UmbFree(data);
        data = nullptr;
    }
    _lclose(f);
    if (data) *size = entry.size;
    return data;
}

int UmbReadCell(LPCSTR path, tagCELL* cell, int (*parse)(const BYTE*, size_t, tagCELL*)) {
    if (!cell) return 0;
    size_t size = 0;
    BYTE* data = UmbReadFile(path, &size);
    if (!data) {
        cell->bits = nullptr;
        return 0;
    }
    int ok = parse(data, size, cell);
    UmbFree(data);
    return ok;
}

UMBDLL_API int WINAPI UMBDLL_CreateCell(tagCELL* cell, int width, int height) {
    if (!cell) return 0;
    size_t bytes = (width > 0 && height > 0) ? size_t(width) * size_t(height) * 2 : 0;
    ZEMPIXEL* bits = static_cast<ZEMPIXEL*>(UmbAlloc(bytes));
    if (!bits) {
        cell->bits = nullptr;
        return 0;
    }
    cell->mode = CELL_MODE_NORMAL;
    cell->xsize = width;
    cell->ysize = height;
    cell->xpos = cell->ypos = cell->xoffset = cell->yoffset = 0;
    cell->mask = CELL_MASK_NONE;
    cell->bits = bits;
    cell->user = 0;
    return 1;
}
