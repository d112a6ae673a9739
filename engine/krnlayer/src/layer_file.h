// The layer text file's reader and writer, apart from the file access (the fuzz target and
// the tools feed the reader text directly).
#pragma once

#include <string>

#include "krnlayer.h"

namespace krnl {

// What the reader could not store as the file asked; reported once per file.
struct ReadNotes {
    int beforeCount = 0;  // chips given before their block's Count (kept)
    int beyondCount = 0;  // chips beyond their block's Count (not stored)
    int noRoom = 0;       // chips of the block where no free run was left (reading stopped)
};

// Reads layer text (n bytes, ending early at a 0 or 0x1A byte) under `layer`; textures are
// looked for in `folder` (with its trailing separator), chips go to free runs from `slot`.
void ReadLayerText(tagKRNL* layer, const char* text, size_t n, const char* folder, int slot,
                   ReadNotes* notes);
// The whole file text of the layer and its subtree.
std::string LayerText(const tagKRNL* layer);
// A number as the file writes it.
std::string Number(double value);

}  // namespace krnl
