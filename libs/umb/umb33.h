// umb33: the picture-file library. Cells (the system's 2D images of 16-bit pixels), the
// system's own picture file (16-bit raw or row-coded, and the older 8-bit palette form) and
// Windows BMP files. Every reader fills a cell record that the caller owns; the pixel block
// belongs to the cell and is freed by the 2D display library's ZEM_DeleteCell.
#pragma once

#include <windows.h>

#ifdef UMB_BUILDING_LIBRARY
#define UMBDLL_API extern "C" __attribute__((visibility("default")))
#else
#define UMBDLL_API extern "C"
#endif

// A 16-bit pixel: bits 0-4 blue, 5-9 green, 10-14 red (0-31 each); bit 15 set when the pixel
// is drawn half-transparent (averaged with what lies below). Drawn onto a screen, the colour
// key compares bits 0-14 only; cell-to-cell copies compare all 16 bits.
typedef WORD ZEMPIXEL;

#define ZEMPIXEL_HALF 0x8000u    // the half-transparency bit
#define ZEMPIXEL_COLOUR 0x7FFFu  // bits the colour key compares on a screen

// Kinds of cell (`mode`).
#define CELL_MODE_NORMAL 15u          // an ordinary cell owning its pixels
#define CELL_MODE_BITMAP 0x8000000Fu  // pixels belong to a display-library screen
// `mask` of a cell without colour key.
#define CELL_MASK_NONE ((LONG)0x80000000u)

// A 2D image. The caller owns the record; the libraries fill it. The order and meaning of
// the fields are fixed (the 2D display library, the 3D engine and the script cell commands
// share the record); `bits` and `user` are pointer-sized in memory because they hold a
// pointer and, for a bitmap cell, the handle of its screen.
typedef struct tagCELL {
    DWORD mode;      // CELL_MODE_NORMAL or CELL_MODE_BITMAP
    LONG xsize;      // width in pixels; also the pixel stride of a row
    LONG ysize;      // height in pixels
    LONG xpos;       // placement hint x (kept in picture files; default sprite frame width)
    LONG ypos;       // placement hint y (default sprite frame height)
    LONG xoffset;    // drawing offset x
    LONG yoffset;    // drawing offset y
    LONG mask;       // colour key (bits 0-14), CELL_MASK_NONE for none
    ZEMPIXEL* bits;  // ysize rows of xsize pixels, top row first, no padding
    DWORD_PTR user;  // 0 for cells of this library; a bitmap cell's screen handle
} tagCELL, CELL, *LPCELL;

// Channel conversions used throughout the system.
inline constexpr int UMB_Channel8To5(int c) { return c / 8; }
inline constexpr int UMB_Channel5To8(int c) { return c * 255 / 31; }
inline constexpr ZEMPIXEL UMB_MakePixel(int r5, int g5, int b5) {
    return (ZEMPIXEL)(((r5 & 31) << 10) | ((g5 & 31) << 5) | (b5 & 31));
}
inline constexpr int UMB_PixelRed(ZEMPIXEL p) { return (p >> 10) & 31; }
inline constexpr int UMB_PixelGreen(ZEMPIXEL p) { return (p >> 5) & 31; }
inline constexpr int UMB_PixelBlue(ZEMPIXEL p) { return p & 31; }

// Format ids of the picture file (the u32 at offset 20).
#define UMB_FORMAT_16 0x00030003u  // one 16-bit picture, raw or row-coded
#define UMB_FORMAT_8 0x00020001u   // the older 8-bit palette form (read only)
// Progress message sent to the writer's window: wParam = percentage of rows written.
#define UMB_WM_PROGRESS 0x8086u

// Allocates width x height zero pixels into `cell` and sets mode 15, the size, placement and
// offsets 0, no colour key and user 0. Returns 1, or 0 when no memory could be had (the
// user cancelled the Retry/Cancel box); then only `bits` is changed, to NULL.
UMBDLL_API int WINAPI UMBDLL_CreateCell(tagCELL* cell, int width, int height);

// Reads a picture file (16-bit or 8-bit palette form) into `cell`, looking in the folder's
// .vfs archive first. Returns 1, or 0 when the file is missing (a box names it), is not a
// picture file, or its sizes do not fit its data; on 0 the cell holds no pixels.
UMBDLL_API int WINAPI UMBDLL_ReadUMB(LPCSTR path, tagCELL* cell);

// Writes `cell` as a 16-bit picture file: `formType` gives the four letters at offset 8,
// `compress` nonzero codes the rows, `window` (may be NULL) receives UMB_WM_PROGRESS per row.
// Returns nonzero, or 0 when the file can't be created, memory is short or a write fell short.
UMBDLL_API int WINAPI UMBDLL_WriteUMB16(LPCSTR path, const tagCELL* cell, LPCSTR formType,
                                        int compress, HWND window);

// Reads an uncompressed 1-, 4-, 8- or 24-bit BMP file (bottom-up or top-down) into `cell`.
// Returns 1, or 0 when the file is missing, compressed, of another depth or too short.
UMBDLL_API int WINAPI UMBDLL_ReadBMP(LPCSTR path, tagCELL* cell);

// Writes `cell` as a bottom-up 24-bit BMP file. Returns 1, or 0 when the file can't be
// created or a write fell short.
UMBDLL_API int WINAPI UMBDLL_WriteBMP24(LPCSTR path, const tagCELL* cell);

// Reads the 8-bit form's palette chunk at the file's position into 256 pixels (missing
// entries 0); a NULL palette skips the chunk. Returns 1, or 0 when the chunk is cut short.
UMBDLL_API int WINAPI UMBDLL8_ReadPal(HFILE file, ZEMPIXEL* palette);

// Reads the 8-bit form's picture block at the file's position into `cell`: sizes, placement,
// `mask` = the key index (0xFFFF none), `user` 0 and `bits` = a new block of xsize x ysize
// index bytes, unpacked. A NULL cell returns 1 at once. Returns 1, or 0 when memory is short
// or the data does not fit the picture (then the cell holds no pixels).
UMBDLL_API int WINAPI UMBDLL8_ReadBmp(HFILE file, tagCELL* cell);

// Unpacks the 8-bit form's packed index bytes from `source` into `destination`, which must
// hold the whole picture. Trusts its input; readers use the bounded form inside the library.
UMBDLL_API int WINAPI UMBDLL8_Unpack(BYTE* destination, const BYTE* source);
