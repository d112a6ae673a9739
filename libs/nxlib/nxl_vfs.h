// The .vfs archive lookup for every library that reads archives. One rule, parameterised
// by the reader's entry width and naming: the utility code's own rule (archive per stem,
// drive + folder + stem + ".vfs", entry stem + extension) or the folder rule of the picture,
// sound and script libraries (archive = the path up to its last backslash + ".vfs", entry =
// the part behind it). When the archive opens but lacks the entry, or is malformed, the
// lookup misses: the plain file is only used when no archive opens.
#pragma once

#include <cstddef>

#include "nxlib.h"

typedef struct NxlVfsRule {
    int width;      // VFS_ENTRY_PACKED, VFS_ENTRY_ALIGNED or VFS_ENTRY_LONG
    int perFolder;  // 1: one archive per folder; 0: one archive per stem
} NxlVfsRule;

// The archive and entry names of `path` under `rule`. Returns 0 when the path gives no
// archive (the folder rule and a path without backslash) or a name does not fit.
int NxlVfs_Names(LPCSTR path, const NxlVfsRule* rule, char* archive, size_t archiveCap,
                 char* entryName, size_t entryCap);

// Reads the 16-byte header. Returns 0 when fewer bytes are given.
int NxlVfs_ReadHead(const BYTE* bytes, size_t size, tagVFHEAD* head);

// Looks `name` up (ignoring case) in the directory `dir` of `dirSize` bytes that followed
// `head` in an archive of `archiveSize` bytes. Returns 1 with `entry` filled, or 0 when the
// name is missing or the directory or the entry does not fit what is there.
int NxlVfs_FindEntry(const tagVFHEAD* head, const BYTE* dir, size_t dirSize, int width, LPCSTR name,
                     DWORD archiveSize, tagVFENTRY* entry);

// Opens through `rule` with CreateFileA (read access, the given sharing; `inherit` makes the
// handle inheritable). Returns the handle positioned at the data, or NULL.
HANDLE NxlVfs_OpenHandle(LPCSTR path, const NxlVfsRule* rule, DWORD share, BOOL inherit,
                         tagVFENTRY* entry);
// The same through OpenFile; returns HFILE_ERROR on failure.
HFILE NxlVfs_OpenHFile(LPCSTR path, const NxlVfsRule* rule, tagVFENTRY* entry);
