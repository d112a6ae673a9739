// krnlayer: the layer library. It organises the chips of a scene into a tree of named layers
// under one master layer bound to an engine record. Each layer owns a copy of its chips in its
// own coordinates, a placement relative to its parent, display attributes and an optional
// texture mapping, and occupies a run of slots of the engine chip array; KRNL_CalcLayerEx writes
// the tree, placed in world coordinates, into that array before each frame. Layer trees are
// stored as layer text files (KRNL_LoadLayer, KRNL_SaveLayer).
//
// Layer names are matched by prefix without regard to case: a layer matches a searched name
// as soon as the searched name is used up, so "Tow" finds "Tower". The same search decides
// duplicates when layers are created, renamed or moved.
#pragma once

#include "krn.h"

#ifdef KRNL_BUILDING_LIBRARY
#define KRNLAPI extern "C" __attribute__((visibility("default")))
#else
#define KRNLAPI extern "C"
#endif

#define KRNL_NAMEMAX 32  // a name field, its terminator included
#define KRNL_MASTERNAME "KorrinMasterLayer"

// Texture mapping of a layer.
typedef struct tagKRNLT {
    char name[KRNL_NAMEMAX];  // texture file name
    DWORD_PTR htex;           // texture handle from KRN_ReadTexture; 0 = none
    int mode;                 // projection: 1-3 planar (x, y, z axis), 4-6 cylindrical
    double cx, cy, cz;        // projection centre
    double rotate;            // degrees
    double u, v;              // offsets
    double su, sv;            // scales
    int mask;                 // colour-key switch given to KRN_ReadTexture
} tagKRNLT;

// One layer; allocated and owned by the library, callers hold its address as the handle.
typedef struct tagKRNL {
    tagKRN* hkrn;             // the engine record the layer draws into
    char name[KRNL_NAMEMAX];  // unique within its tree
    struct tagKRNL* parent;   // NULL for a master layer
    int no;                   // first engine chip slot
    int count;                // number of chips
    int sw;                   // 1 = shown; any other value hides the layer's chips
    int blink;                // 1 = shown; 0 hides the layer's chips
    int recalc;               // dirty: must be recalculated
    int powercount;           // chip transforms applied in the last composition pass
    tagKRN3D shift;           // relative to the parent
    tagKRN3D rotate;          // degrees about x, y, z
    tagKRN3D scale;
    tagKRNFFR ffr;           // `rotate` prepared with the engine-wide axis order
    tagKRNCHIP* lpchip;      // own chips in layer coordinates, `count` entries
    tagKRNCHIP* lpcalc;      // the chips after the layer's own placement
    int layer;               // number of children
    struct tagKRNL** child;  // the children, `layer` entries
    int* childrecalc;        // per child: 1 when its subtree changed in the last calculation
    DWORD color;             // 0x00BBGGRR, 0xFFFFFFFF = none
    int back;                // two-sided chips
    tagKRNLT texture;
    int wireframe;
    int shade;  // 1 shaded (default), 0 unshaded
    int alpha;
    int shadow;
    int mixture;    // transparency given to every chip
    int billboard;  // 1: the chips turn about the vertical axis to face the camera
    int znowrite;
    int through;
    int nofog;
    int nodistance;
} tagKRNL;

// One row of KRNL_EnumLayer (depth-first, parent before children).
typedef struct tagKRNLINFO {
    tagKRNL* layer;
    tagKRNL* parent;
    char name[KRNL_NAMEMAX];
    int depth;  // below the enumerated layer, 0 for itself
    int sw;
    int layers;  // number of children
    int no;
    int count;
    tagKRN3D shift, rotate, scale;
    DWORD color;
    int back;
    tagKRNLT texture;
    int wireframe, alpha, shadow, mixture, billboard, znowrite, through, nofog, nodistance;
} tagKRNLINFO;

// Operations of KRNL_RecallFunction.
#define KRNLOP_RECALC 1   // mark dirty
#define KRNLOP_SHADE 2    // chips' unshaded bit set when a = 0, cleared otherwise
#define KRNLOP_MIXTURE 3  // mixture and every chip's trans = a
#define KRNLOP_SWITCH 4   // a = 9 / -9: blink on / off; otherwise sw = a
#define KRNLOP_BACK 5
#define KRNLOP_ALPHA 6
#define KRNLOP_BILLBOARD 7
#define KRNLOP_COLOR 8    // layer colour a = 0x00BBGGRR onto every chip
#define KRNLOP_INFO 9     // one KRNLINFO row at acc (depth a), acc moves one row on
#define KRNLOP_SMOOTH 10  // KRN_SmoothChip over the chips, exact when a != 0
#define KRNLOP_WIREFRAME 11
#define KRNLOP_RENUMBER 12  // no = acc, acc += count
#define KRNLOP_CLEAN 13     // clear the dirty flag
#define KRNLOP_ZNOWRITE 14
#define KRNLOP_SCALE 15  // a points to a tagKRN3D: shift and vertices scaled by it
#define KRNLOP_SHADOW 16
#define KRNLOP_THROUGH 17
#define KRNLOP_NOFOG 18
#define KRNLOP_NODISTANCE 19

// ---- the tree ----

// Creates the master layer "KorrinMasterLayer" bound to the engine record.
KRNLAPI tagKRNL* WINAPI KRNL_Start(tagKRN* krn);
// Deletes the whole tree and returns 1 when the layer is a master layer (its name compared
// with case); else 0 and nothing changes.
KRNLAPI int WINAPI KRNL_End(tagKRNL* master);
// A new layer as the parent's last child (a new root for a NULL parent), bound to the parent's
// engine record. The name is cut to 31 bytes. NULL when a layer of the parent's tree matches
// the name.
KRNLAPI tagKRNL* WINAPI KRNL_CreateLayer(tagKRNL* parent, const char* name);
// flag 1: deletes the layer and its subtree (their chip slots cleared, their own textures
// released) and unlinks it from its parent; flag 0: clears it in place, keeping its name,
// engine and parent. Returns 1.
KRNLAPI int WINAPI KRNL_DeleteLayer(tagKRNL* layer, int flag);
// The first layer of the subtree (the layer itself first, then each child's subtree in order)
// whose name matches; NULL when none.
KRNLAPI tagKRNL* WINAPI KRNL_SearchLayer(tagKRNL* layer, const char* name);
// The root of the layer's tree.
KRNLAPI tagKRNL* WINAPI KRNL_GetMasterLayer(tagKRNL* layer);
// Moves the layer with its subtree to the end of the new parent's children. 0 when the new
// parent lies in the layer's own subtree (by name or by link) or the layer has no parent;
// else 1, and the new parent, the old parent and the layer are marked dirty.
KRNLAPI int WINAPI KRNL_LinkLayer(tagKRNL* newparent, tagKRNL* layer);
// Layers, chips and vertices (three per chip) of the subtree; each out may be NULL. Returns 1.
KRNLAPI int WINAPI KRNL_CountLayer(tagKRNL* layer, int* layers, int* chips, int* vertices);
// One row per layer of the subtree into `rows` (room for KRNL_CountLayer's layers); returns
// the number of rows.
KRNLAPI int WINAPI KRNL_EnumLayer(tagKRNL* layer, tagKRNLINFO* rows);
// Copies no, count, shift, rotate, scale; each out may be NULL. Returns 1.
KRNLAPI int WINAPI KRNL_GetInfoLayer(tagKRNL* layer, int* no, int* count, tagKRN3D* shift,
                                     tagKRN3D* rotate, tagKRN3D* scale);
// Makes the name in `name` (a buffer of at least 32 bytes) unique in the layer's subtree: it is
// cut to 31 bytes, and while a layer matches it becomes the original followed by ".001" to
// ".999", the original cut so that the whole stays within 31 bytes. 1 when a free name was
// found, else 0 (the buffer then holds the ".999" form).
KRNLAPI int WINAPI KRNL_CheckSameName(tagKRNL* layer, char* name);

// ---- operations ----

// Each non-NULL vector replaces the layer's (a rotation also prepares `ffr` with the current
// engine-wide axis order); marks the layer dirty. Returns 1.
KRNLAPI int WINAPI KRNL_AbsMoveLayer(tagKRNL* layer, const tagKRN3D* shift, const tagKRN3D* rotate,
                                     const tagKRN3D* scale);
// Adds the shift and the rotation, multiplies the scale; NULL vectors are skipped. Returns 1.
KRNLAPI int WINAPI KRNL_RelMoveLayer(tagKRNL* layer, const tagKRN3D* shift, const tagKRN3D* rotate,
                                     const tagKRN3D* scale);
// Applies operation `op` (KRNLOP_*) to the layer and then to every child's subtree in order,
// threading `acc` through; returns the final `acc`. `a` is the operation's value (a pointer
// for KRNLOP_SCALE); `b` is only passed on.
KRNLAPI INT_PTR WINAPI KRNL_RecallFunction(int op, tagKRNL* layer, INT_PTR acc, INT_PTR a,
                                           INT_PTR b);
// Makes engine chips start .. start+n-1 (cut to the chip array) the layer's own chips and
// resets its placement; the subtree is marked dirty. Returns 0.
KRNLAPI int WINAPI KRNL_CaptureLayer(tagKRNL* layer, int start, int n);
// Flattens the subtree into the layer: its chips, placed in the layer's parent frame (flag
// != 0, placement reset) or in the layer's own frame (flag 0, placement kept), become the
// layer's own and the children are deleted. 0 when the subtree has no chips, else 1.
KRNLAPI int WINAPI KRNL_GroupLayer(tagKRNL* layer, int flag);
// Maps the texture of `lt` onto every chip of the subtree (with `fit` the projection is first
// fitted to the chips, and `lt` changed); NULL `lt` removes the chips' textures. Returns 1.
KRNLAPI int WINAPI KRNL_TextureLayer(tagKRNL* layer, tagKRNLT* lt, int fit);
// Calculates the subtree (only dirty layers and those below them) and writes it into the
// engine chip array; billboard chips turn to face camera `camera`. Returns the number of
// layers whose composition started anew.
KRNLAPI int WINAPI KRNL_CalcLayerEx(tagKRNL* layer, int camera);

// ---- layer text files ----

// Reads a layer text file (plain or inside its .vfs archive) under the layer; its chips go to
// free runs of slots searched from `slot`, its textures are looked for in the file's folder.
// 0 when the file cannot be read, else 1; chips beyond a block's Count, chips before it and
// chips without room are reported in one message box.
KRNLAPI int WINAPI KRNL_LoadLayer(tagKRNL* layer, const char* path, int slot);
// Writes the layer and its subtree as a layer text file; 0 when it cannot be created.
KRNLAPI int WINAPI KRNL_SaveLayer(tagKRNL* layer, const char* path);
