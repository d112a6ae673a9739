// The picture-file library's own helpers: memory, messages, file lookup, and the parsers,
// coders and converters that work on bytes in memory (also used by the tools, fuzz targets
// and benchmarks, which link the library's objects).
#pragma once

#include <cstddef>

#include "umb33.h"
#include <wynbytes.h>

// A zero-filled movable global block, locked; on failure the Retry/Cancel box repeats the
// allocation until the user cancels (NULL).
void* UmbAlloc(size_t bytes);
void UmbFree(void* p);
// 1 when the texts are Japanese (the country code 81, read once per process).
bool UmbJapanese();
// The "file not found" box naming `path`.
void UmbShowMissing(LPCSTR path);
// Frees what a failed read took and leaves the cell without pixels.
void UmbEmptyCell(tagCELL* cell);

// The file's bytes (the archive entry of the folder's .vfs, else the plain file) in a new
// UmbAlloc block, or NULL (after the missing-file box when it can't be opened).
BYTE* UmbReadFile(LPCSTR path, size_t* size);
// Reads the file at `path` whole and hands its bytes to `parse`. 1, or 0 with the cell's
// pixels cleared when the file can't be read or parsed.
int UmbReadCell(LPCSTR path, tagCELL* cell, int (*parse)(const BYTE*, size_t, tagCELL*));

// Parses a whole picture file (16-bit or 8-bit form) into `cell`. 1, or 0 with the cell empty.
int UmbParsePicture(const BYTE* data, size_t size, tagCELL* cell);
// Parses a whole BMP file into `cell`. 1, or 0 with the cell empty.
int UmbParseBmp(const BYTE* data, size_t size, tagCELL* cell);

// Decodes coded rows into `dst` (xsize x ysize pixels, zero-filled by the caller). 0 when the
// codes are unknown, run past a row or past the data.
int UmbDecodeRows(const BYTE* src, size_t size, ZEMPIXEL* dst, int xsize, int ysize);
// The most bytes UmbEncodeRows can write for a picture of this size (padding included).
size_t UmbEncodeBound(int xsize, int ysize);
// Codes the rows, padded with 0xFF to a multiple of 4; returns the bytes written (0 when
// `cap` is short). `progress`, when given, is called after each row with its number.
size_t UmbEncodeRows(const ZEMPIXEL* pixels, int xsize, int ysize, BYTE* out, size_t cap,
                     void (*progress)(void* ctx, int row), void* ctx);

// Unpacks the 8-bit form's packed indices; 0 when the stream runs past its bytes or the
// destination, or refers back before the start.
int Umb8Unpack(const BYTE* src, size_t size, BYTE* dst, size_t dstSize);
// The palette chunk at the reader's position into 256 pixels (NULL: skipped).
int Umb8ParsePal(wyn::ByteReader& r, ZEMPIXEL* palette);
// The picture block at the reader's position into `cell` (index bytes in `bits`).
int Umb8ParseBlock(wyn::ByteReader& r, tagCELL* cell);
