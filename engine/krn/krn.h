// krn: the 3D engine. One engine record per drawing window holds views, cameras, lights, the
// scene chips, the frame's output chips, 500 texture slots and three driver blocks; the
// transform, lighting and raster driver plug-ins read and write the record in place, so its
// records and flag bits are public here. Besides the record the engine exports a small geometry
// kit (vectors, prepared rotations, angles), chip operations and the model readers.
#pragma once

#include <windows.h>

#ifdef KRN_BUILDING_LIBRARY
#define KRNAPI extern "C" __attribute__((visibility("default")))
#else
#define KRNAPI extern "C"
#endif

// The 2D image of the picture-file and 2D display libraries; the engine uses it as is.
struct tagCELL;
typedef struct tagCELL tagKRNCELL;

#define KRN_VIEWMAX 10
#define KRN_CAMERAMAX 10
#define KRN_LIGHTMAX 10
#define KRN_TEXTUREMAX 500
#define KRN_ENUMDRVMAX 20

// A vector: operations act on x, y, z; `t` is left alone unless a function says otherwise.
typedef struct tagKRN3D {
    double x, y, z, t;
} tagKRN3D;

// A prepared rotation: the axis letters in application order and the sines and cosines.
typedef struct tagKRNFFR {
    char calc[4];  // "X", "Y", "Z" in order, at most three
    int bm;        // 1 when any axis letter was given
    int bx, by, bz;
    double sinx, cosx, siny, cosy, sinz, cosz;
} tagKRNFFR;

// Chip (triangle) modes and drawing flags.
#define KRNCHIP_FREE 0
#define KRNCHIP_SHOW 1
#define KRNCHIP_HIDE 2
#define KRNCHIP_TWOSIDED 0x1u
#define KRNCHIP_VERTEXCOLOR 0x2u
#define KRNCHIP_SMOOTH 0x4u  // vertex normals are used (smooth shading)
#define KRNCHIP_NOFOG 0x10u
#define KRNCHIP_UNSHADED 0x20u
#define KRNCHIP_WIREFRAME 0x40u
#define KRNCHIP_ALPHA 0x100u
#define KRNCHIP_SHADOW 0x200u
#define KRNCHIP_NOFAR 0x400u  // ignores the far limit
#define KRNCHIP_ZNOWRITE 0x1000u
#define KRNCHIP_THROUGH 0x10000u
#define KRNCHIP_FRONT 0x80000000u  // set on output chips that face the viewer

// A chip: the same record in the scene array, the output list and the layers.
typedef struct tagKRNCHIP {
    int mode;         // KRNCHIP_FREE, KRNCHIP_SHOW, or with bit 0x2 hidden
    int no;           // slot number, set when stored
    tagKRN3D normal;  // face normal
    int red, green, blue;
    int mix;
    tagKRN3D v[3];  // vertices
    tagKRN3D n[3];  // vertex normals
    int r[3], g[3], b[3];
    int m[3];
    double d[3];        // per-vertex depth, written by the drivers
    DWORD_PTR htex;     // texture handle (the address of a texture slot); 0 untextured
    double x[3], y[3];  // texture coordinates
    DWORD flags;        // KRNCHIP_* bits
    RECT crect;         // screen rectangle, written by the drivers
    int trans;          // transparency value
} tagKRNCHIP;

typedef struct tagKRNVIEW {
    HWND hwnd;  // NULL until the view is first defined
    int flip;   // -1 after start, 1 once defined
    int xpos, ypos, xsize, ysize;
    int cxpos, cypos, cxsize, cysize;  // clip rectangle
    int xoffset, yoffset;
    void* handle;  // the raster driver's own handle for the view
} tagKRNVIEW;

typedef struct tagKRNCAMERA {
    tagKRN3D viewpoint;
    tagKRN3D rotate;  // angles about x, y, z
    tagKRN3D scale;
    double zoom;
    tagKRN3D normal;   // view direction; not written by the engine
    double viewlimit;  // near limit, 1.0 after start
} tagKRNCAMERA;

typedef struct tagKRNLIGHT {
    DWORD mode;  // 0 = off
    tagKRN3D pos;
    tagKRN3D dir;
    BYTE red, green, blue;
    double range;
    tagKRN3D normal;  // unit vector opposite to dir
} tagKRNLIGHT;

typedef struct tagKRNTEXTURE {
    DWORD mode;                     // 1 when in use
    char path[256];                 // the path as requested; empty = free slot
    char file[64];                  // file name with extension
    DWORD_PTR work1, work2, work3;  // the raster driver's own handles
    int mask;                       // colour-key switch of the request
    int count;                      // use count
    int no;                         // slot number
} tagKRNTEXTURE;

typedef struct tagKRNENUMTEXTURE {
    DWORD_PTR htex;
    char path[256];
    char file[64];
    int mask;
} tagKRNENUMTEXTURE;

// One enumerated driver file.
typedef struct tagKRNENUMDRV {
    int use;        // CHECK's result: 1 usable on this machine
    char file[32];  // the file name as found
    char corp[32];  // maker text
    char name[32];  // description without its four-character code
    char drv[32];   // the file CHECK names: the one loaded when the entry is chosen
    DWORD c1, c2;
} tagKRNENUMDRV;

// One row of KRN_GetDriverName.
typedef struct tagKRNDRVINFO {
    int use;
    int select;  // 1 for the driver in use
    char corp[32];
    char name[32];
    char drv[32];  // the entry's file
    DWORD c1, c2;
} tagKRNDRVINFO;

struct tagKRN;

// Driver entry points, exported by every driver under the decorated names the loader asks for.
typedef int (*KRNDRV_CHECK)(struct tagKRN* krn, char* corp, char* name, char* drv, DWORD* c1,
                            DWORD* c2);
typedef int (*KRNDRV_START)(struct tagKRN* krn);
typedef int (*KRNDRV_END)(struct tagKRN* krn);
typedef int (*KRNDRV_RESTART)(struct tagKRN* krn, int phase);
typedef int (*KRNDRV_VIEW)(struct tagKRN* krn, int camera);
typedef int (*KRNDRV_PERSPECTIVE)(struct tagKRN* krn, int view, int camera);
typedef int (*KRNLGT_LIGHT)(struct tagKRN* krn, int light);
typedef int (*KRNLGT_BRIGHT)(struct tagKRN* krn, int camera);
typedef int (*KRNACC_VIEWFUNC)(struct tagKRN* krn, int view);  // MAKEVIEW, RELEASEVIEW, FLIP
typedef int (*KRNACC_CAMERA)(struct tagKRN* krn, int camera);
typedef int (*KRNACC_RASTER)(struct tagKRN* krn, int view, DWORD colour);
typedef int (*KRNACC_FULLSCREEN)(struct tagKRN* krn, int view, int flag);
typedef int (*KRNACC_REFRESH)(struct tagKRN* krn, int view, HDC hdc);
typedef int (*KRNACC_PUTSCREEN)(struct tagKRN* krn, int view, int x, int y, tagKRNCELL* cell,
                                RECT* rect);
typedef int (*KRNACC_GETSCREEN)(struct tagKRN* krn, tagKRNCELL* cell, int x, int y, int view,
                                RECT* rect);
typedef int (*KRNACC_TEXTURE)(struct tagKRN* krn, tagKRNTEXTURE* slot);  // LOAD, DELETE

// Frame busy bits of `task`.
#define KRNTASK_VIEW 0x1u
#define KRNTASK_PERSPECTIVE 0x2u
#define KRNTASK_LIGHT 0x4u
#define KRNTASK_RASTER 0x8u

// The engine record: one per KRN_Start, owned by the engine until KRN_End.
typedef struct tagKRN {
    HWND hwnd;
    tagKRNVIEW view[KRN_VIEWMAX];
    tagKRNCAMERA camera[KRN_CAMERAMAX];
    tagKRNLIGHT light[KRN_LIGHTMAX];
    int chipmax;
    tagKRNCHIP* lpchip;    // scene chips
    tagKRNCHIP* lpcalc;    // the frame's output chips
    int calc;              // output chips of the last frame
    DWORD* lpcolorbuf;     // reserved
    DWORD task;            // KRNTASK_* bits while a frame runs
    double distance;       // far limit, -1.0 none
    double top;            // fog start
    double bottom;         // fog end
    int red, green, blue;  // background of the frame being rendered
    double zbufmin, zbufmax;
    double tbufmax;
    tagKRNTEXTURE texture[KRN_TEXTUREMAX];

    HMODULE drvlib;
    char drvname[32];
    int drvcount;
    tagKRNENUMDRV edDRV[KRN_ENUMDRVMAX];
    DWORD drvwork;
    KRNDRV_CHECK DRV_CHECK;
    KRNDRV_START DRV_START;
    KRNDRV_END DRV_END;
    KRNDRV_RESTART DRV_REBOOT;
    KRNDRV_VIEW DRV_VIEW;
    KRNDRV_PERSPECTIVE DRV_PERSPECTIVE;

    HMODULE lgtlib;
    char lgtname[32];
    int lgtcount;
    tagKRNENUMDRV edLGT[KRN_ENUMDRVMAX];
    DWORD lgtwork;
    KRNDRV_CHECK LGT_CHECK;
    KRNDRV_START LGT_START;
    KRNDRV_END LGT_END;
    KRNDRV_RESTART LGT_REBOOT;
    KRNLGT_LIGHT LGT_LIGHT;
    KRNLGT_BRIGHT LGT_BRIGHT;

    HMODULE acclib;
    char accname[32];
    int acccount;
    tagKRNENUMDRV edACC[KRN_ENUMDRVMAX];
    DWORD accwork;  // the raster driver's state word (bit 0: hardware drawing)
    KRNDRV_CHECK ACC_CHECK;
    KRNDRV_START ACC_START;
    KRNDRV_END ACC_END;
    KRNDRV_RESTART ACC_REBOOT;
    KRNACC_VIEWFUNC ACC_MAKEVIEW;
    KRNACC_VIEWFUNC ACC_RELEASEVIEW;
    KRNACC_CAMERA ACC_CAMERA;
    KRNACC_RASTER ACC_RASTER;
    KRNACC_VIEWFUNC ACC_FLIP;
    KRNACC_FULLSCREEN ACC_FULLSCREEN;
    KRNACC_REFRESH ACC_REFRESH;
    KRNACC_PUTSCREEN ACC_PUTSCREEN;
    KRNACC_GETSCREEN ACC_GETSCREEN;
    KRNACC_TEXTURE ACC_LOADTEXTURE;
    KRNACC_TEXTURE ACC_DELETETEXTURE;

    DWORD ph1color[256];  // height-map colours 0x00BBGGRR
    int* lpsort;          // reserved
    double* lpdist;       // reserved
    int sortcount;        // reserved
    double throughdistance;
    int throughrate;
} tagKRN;

// ---- life cycle ----

// Creates the engine record for a window and a chip capacity, finds, loads and starts the
// drivers named in krn2.ini (falling back to the standard ones and then to any usable driver).
// Returns NULL, after a message box saying why, when a kind of driver cannot be loaded or
// memory runs out.
KRNAPI tagKRN* WINAPI KRN_Start(HWND hwnd, int chipmax);
// Releases textures and views, writes the driver choice to krn2.ini, ends and unloads the
// drivers and frees the record. NULL is ignored.
KRNAPI void WINAPI KRN_End(tagKRN* krn);
// Writes the program folder (with its trailing backslash) followed by "krn2.ini" into `path`
// (at least 260 bytes).
KRNAPI void WINAPI KRN_GetProFileName(char* path);
// A zero-filled block, or NULL; freed with KRN_FreeMemory.
KRNAPI void* WINAPI KRN_AllocMemory(int size);
KRNAPI void WINAPI KRN_FreeMemory(void* block);

// ---- drivers ----

// The maker text, description and two words of the driver in use (32-byte buffers).
KRNAPI void WINAPI KRN_CheckDRV(tagKRN* krn, char* corp, char* name, DWORD* c1, DWORD* c2);
KRNAPI void WINAPI KRN_CheckLGT(tagKRN* krn, char* corp, char* name, DWORD* c1, DWORD* c2);
KRNAPI void WINAPI KRN_CheckACC(tagKRN* krn, char* corp, char* name, DWORD* c1, DWORD* c2);
// Fills three arrays of 20 rows: one per enumerated driver of each kind, `select` marking the
// one in use. An array may be NULL.
KRNAPI void WINAPI KRN_GetDriverName(tagKRN* krn, tagKRNDRVINFO* drvlist, tagKRNDRVINFO* lgtlist,
                                     tagKRNDRVINFO* acclist);
// Switches drivers by entry index (a negative index forces the reload of that entry). Returns 1,
// or 0 when an index is out of range or a kind could not be loaded; a kind that fails keeps
// its old driver, and krn2.ini is then not written.
KRNAPI int WINAPI KRN_SetDriver(tagKRN* krn, int drv, int lgt, int acc);
// Shows the modal driver choice dialog with its top-left corner at (x, y) of the engine window's
// client area, once no frame stage is pending. Returns KRN_SetDriver's result after the accept
// button, 0 after cancel or closing.
KRNAPI int WINAPI KRN_DriverDialog(tagKRN* krn, int x, int y);

// ---- views, cameras, lights and the frame (numbers 0-9) ----

// Defines a view from a rectangle. Returns ACC_MAKEVIEW's result for a new view, 1 for a
// redefined one, 0 for a NULL record or a bad number.
KRNAPI int WINAPI KRN_ViewPort(tagKRN* krn, int view, HWND hwnd, RECT* rect);
KRNAPI int WINAPI KRN_OffsetViewPort(tagKRN* krn, int view, int x, int y);
KRNAPI int WINAPI KRN_ClipViewPort(tagKRN* krn, int view, RECT* rect);
KRNAPI int WINAPI KRN_Camera(tagKRN* krn, int camera, tagKRN3D* viewpoint, tagKRN3D* rotate,
                             tagKRN3D* scale, double zoom, double viewlimit);
KRNAPI int WINAPI KRN_Light(tagKRN* krn, int light, DWORD mode, tagKRN3D* pos, tagKRN3D* dir,
                            DWORD colour, double range);
// Renders one frame: the transform view and perspective steps, lighting, raster. `colour`
// bits 0-23 background, 24-27 the axis-order code of the view step, 28-31 for the raster
// driver. Returns 1, or 0 at the first stage that fails (then no later stage runs).
KRNAPI int WINAPI KRN_Rendering(tagKRN* krn, int view, int camera, DWORD colour);
KRNAPI DWORD WINAPI KRN_GetTask(tagKRN* krn);
KRNAPI int WINAPI KRN_GetRenderCount(tagKRN* krn);
KRNAPI int WINAPI KRN_Flip(tagKRN* krn, int view);
KRNAPI int WINAPI KRN_FullScreen(tagKRN* krn, int view, int flag);
KRNAPI int WINAPI KRN_Refresh(tagKRN* krn, int view, HDC hdc);
KRNAPI void WINAPI KRN_SetDistance(tagKRN* krn, double distance, double top, double bottom);
KRNAPI void WINAPI KRN_Through(tagKRN* krn, double throughdistance, int throughrate);

// ---- vectors, rotations and numbers ----

KRNAPI void WINAPI KRN_Zero3D(tagKRN3D* v);
KRNAPI void WINAPI KRN_Set3D(tagKRN3D* v, double x, double y, double z, double t);
KRNAPI void WINAPI KRN_Copy3D(tagKRN3D* dst, const tagKRN3D* src);
KRNAPI void WINAPI KRN_Add3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b);
KRNAPI void WINAPI KRN_Shift3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b);
KRNAPI void WINAPI KRN_Sub3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b);
KRNAPI void WINAPI KRN_Reverse3D(tagKRN3D* dst, const tagKRN3D* a);
KRNAPI void WINAPI KRN_Scale3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b);
KRNAPI void WINAPI KRN_Mul3D(tagKRN3D* dst, const tagKRN3D* a, const tagKRN3D* b);
KRNAPI double WINAPI KRN_Length3D(const tagKRN3D* a, const tagKRN3D* b);
KRNAPI int WINAPI KRN_Comp3D(const tagKRN3D* a, const tagKRN3D* b);
KRNAPI int WINAPI KRN_CompZero3D(const tagKRN3D* a);
// dst = (x, y, z) / its length, t = 0; a zero vector gives (0, 0, 0, 0).
KRNAPI void WINAPI KRN_Normal3D(tagKRN3D* dst, double x, double y, double z);
KRNAPI void WINAPI KRN_AverageNormal3D(tagKRN3D* dst, const tagKRN3D* n0, const tagKRN3D* n1,
                                       const tagKRN3D* n2);
// The unit vector of (v1 - v0) x (v2 - v1); t untouched.
KRNAPI void WINAPI KRN_FaceNormal3D(tagKRN3D* dst, const tagKRN3D* v0, const tagKRN3D* v1,
                                    const tagKRN3D* v2);
// The plane a*x + b*y + c*z = 1 through three points as (a, b, c), t = 0.
KRNAPI void WINAPI KRN_Face3D(tagKRN3D* dst, const tagKRN3D* p0, const tagKRN3D* p1,
                              const tagKRN3D* p2);
// Prepares a rotation by `angles` (degrees) about the axes in the order of `order` ("ZXY").
KRNAPI void WINAPI KRN_MakeFastRotate3D(tagKRNFFR* ffr, const tagKRN3D* angles, const char* order);
KRNAPI void WINAPI KRN_FastRotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRNFFR* ffr);
// Copies the engine-wide axis order into `oldorder` (4 bytes) when given, then sets `neworder`
// when given.
KRNAPI void WINAPI KRN_DefineRotate3D(const char* neworder, char* oldorder);
KRNAPI void WINAPI KRN_FreeRotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRN3D* angles,
                                    const char* order);
KRNAPI void WINAPI KRN_Rotate3D(tagKRN3D* dst, const tagKRN3D* src, const tagKRN3D* angles);
KRNAPI double WINAPI KRN_Pie(void);
KRNAPI double WINAPI KRN_DegToRad(double deg);
KRNAPI double WINAPI KRN_RadToDeg(double rad);
// An angle in [0, 360); infinities and NaN give 0.
KRNAPI double WINAPI KRN_Range360(double angle);
// KRN_Range360 of the angle, minus 180: [-180, 180).
KRNAPI double WINAPI KRN_Range180(double angle);
KRNAPI void WINAPI KRN_ClearReal(double* array, int n, double value);
KRNAPI void WINAPI KRN_MoveReal(double* dst, const double* src, int n);
// Formats the value as a 32-bit float; 1, or 0 with "999999999" when it is too large.
KRNAPI int WINAPI KRN_NumberToString(char* text, double value);
// Reads a number (as a 32-bit float) into `value`; returns the position behind it.
KRNAPI char* WINAPI KRN_StringToNumber(double* value, char* text);

// ---- chips (slots 0 .. chipmax-1) ----

KRNAPI int WINAPI KRN_SetChip(tagKRN* krn, int slot, tagKRNCHIP* chip);
KRNAPI int WINAPI KRN_GetChip(tagKRN* krn, int slot, tagKRNCHIP* chip);
KRNAPI int WINAPI KRN_DeleteChip(tagKRN* krn, int slot);
KRNAPI int WINAPI KRN_ScaleChip(tagKRN* krn, int slot, const tagKRN3D* s);
KRNAPI int WINAPI KRN_ShiftChip(tagKRN* krn, int slot, const tagKRN3D* s);
KRNAPI int WINAPI KRN_RotateChip(tagKRN* krn, int slot, const tagKRN3D* angles);
KRNAPI int WINAPI KRN_SwitchChip(tagKRN* krn, int slot, int flag);
KRNAPI int WINAPI KRN_BackChip(tagKRN* krn, int slot, int flag);
// The first slot a >= start with a + n < chipmax whose run a .. a+n-1 is free; -1 when there is
// none (also for n < 1).
KRNAPI int WINAPI KRN_SearchChip(tagKRN* krn, int start, int n);
// Smooths vertex normals over the run; 0, or -1 when the run does not lie inside the array.
KRNAPI int WINAPI KRN_SmoothChip(tagKRN* krn, int start, int n, int exact);

// ---- model files ----

// Reads a ".dxf" (white faces), ".dxr" (random colours) or ".ph1" (height map) file into chips
// from `start`; `vector` x, y, z is an offset and t a scale (0 taken as 1; NULL for none).
// Returns the number of chips stored, 0 when the file cannot be read or is too short, -1 for
// another extension.
KRNAPI int WINAPI KRN_ReadChip(tagKRN* krn, int start, const char* path, const tagKRN3D* vector);
// How many chips KRN_ReadChip would store from the file: 0 unreadable, -1 other extension.
KRNAPI int WINAPI KRN_CheckChipCount(const char* path);
// Copies 256 colours 0x00BBGGRR into ph1color, or with NULL sets the default ramp.
KRNAPI void WINAPI KRN_SetPH1ColorTable(tagKRN* krn, const DWORD* colours);

// ---- textures and cells ----

KRNAPI DWORD_PTR WINAPI KRN_ReadTexture(tagKRN* krn, const char* path, int mask);
KRNAPI int WINAPI KRN_DeleteTexture(tagKRN* krn, DWORD_PTR htex);
KRNAPI void WINAPI KRN_ChangeTexture(tagKRN* krn, DWORD_PTR a, DWORD_PTR b);
KRNAPI int WINAPI KRN_EnumTexture(tagKRN* krn, tagKRNENUMTEXTURE* rows);
KRNAPI int WINAPI KRN_PutScreen(tagKRN* krn, int view, int x, int y, tagKRNCELL* cell, RECT* src);
KRNAPI int WINAPI KRN_GetScreen(tagKRN* krn, tagKRNCELL* cell, int x, int y, int view, RECT* rect);
KRNAPI int WINAPI KRN_CreateCell(tagKRNCELL* cell, int width, int height);
KRNAPI int WINAPI KRN_DeleteCell(tagKRNCELL* cell);
KRNAPI int WINAPI KRN_ReadCell(tagKRNCELL* cell, const char* path);
KRNAPI int WINAPI KRN_RemakeCell(tagKRNCELL* cell);
