// wyndemoc's aircraft model viewer: one model in a framed 3D view over a 2D background, turned
// and zoomed by dragging, with four picture buttons (gear, landing configuration, lights, end)
// and a light circling the model. The per-frame rules (drag, hover, press, glare) work on a
// plain record so that they can be checked without a window or an engine.
#pragma once

#include "demo.h"

#define VIEWER_BUTTONS 4
#define VIEWER_BUTTON_W 72
#define VIEWER_BUTTON_H 110
#define VIEWER_ZOOM_MIN 0.5
#define VIEWER_ZOOM_MAX 1.5

// The model's layers the viewer switches, by their index in kViewerLayerNames.
enum ViewerLayer {
    VL_SHADOW,
    VL_NLIGHT,
    VL_TIRE,
    VL_FLAPUP,
    VL_FLAPDOWN,
    VL_LDLIGHTL,
    VL_LDLIGHTR,
    VL_LDLIGHTM,
    VL_REVON,
    VL_REVOFF,
    VL_WGLIGHTL,
    VL_WGLIGHTR,
    VL_ATLIGHT,
    VL_COUNT
};
extern const char* const kViewerLayerNames[VL_COUNT];

// The viewer's state. Button states: 0 normal, 1 under the pointer, 2 pressed in this frame.
struct Viewer {
    double x = 0, y = 40, z = -10;  // the model's rotation in degrees
    double s = 1.0;                 // its scale
    int toggle[3] = {1, 0, 1};      // gear on, landing configuration off, lights on
    int button[VIEWER_BUTTONS] = {};
    int dragging = 0;
    POINT last{};
    int countdown = 0;  // frames until the window is closed; 0 none
    tagKRNL* object = nullptr;
    tagKRNL* layer[VL_COUNT] = {};  // 0 where the model lacks the layer
};

// What one frame reads of the user: the pointer in client coordinates, a mouse button held
// (bBUTTON; a press clears it), Shift and Ctrl.
struct ViewerInput {
    POINT pointer{};
    int* held = nullptr;
    int shift = 0, ctrl = 0;
};

// Top-left corner of button i (0..3) in client coordinates.
POINT ViewerButtonAt(int i);
// An angle wrapped by whole turns into (-180, 180].
double ViewerWrap(double angle);
// One drag step by dx = last x - current x, dy = last y - current y: no key turns y by dx and
// z by dy; Ctrl (without Shift) scales by dx x 0.01 within 0.5 .. 1.5; Shift turns z by dx and
// x by dy. Turned angles are wrapped.
void ViewerDrag(Viewer* v, int dx, int dy, int shift, int ctrl);
// The landing lights' glare for the turn y: full (1) facing the camera, falling to 0 at 90
// degrees either way and 0 beyond.
double ViewerGlare(double y);
// Shows (1) or hides (0) a layer with its subtree; a missing layer (0) is skipped.
void SwitchLayer(tagKRNL* layer, int state);
// Looks the model's layers up under `object` (each 0 when missing) and hides "shadow",
// "nlight", "flapdown" and "revon".
void ViewerFindLayers(Viewer* v, tagKRNL* object);
// Presses button i: its state becomes 2; buttons 0..2 flip their toggle and switch their
// layers, button 3 sets the close countdown to 2.
void ViewerPress(Viewer* v, int i);
// The hover, drag and press steps of a frame (`buttons`: the button picture, its normal tiles in
// row 0; `client`: the client rectangle on the screen, to which a drag confines the pointer).
// Returns the button pressed in this frame, or -1.
int ViewerInputStep(Viewer* v, const tagCELL* buttons, const ViewerInput& in, const RECT& client);
// Ends a drag that is still going on: the pointer is released.
void ViewerRelease(Viewer* v);

// The viewer on the demo window until it closes: `index` 0..2 shows name tile index, -1 none;
// `model` is the layer text file of the model, relative to the program folder.
void Demo1(int index, const char* model);
// The model for the command line's first character: '0'..'2' the text of key "demo0".."demo2"
// of section MODEL of the ini file `ini`, anything else the key "def" ("" when missing), into
// `model` of `cap` bytes. Returns the model's name tile, 0..2, or -1 for the default.
int ViewerModel(char first, const char* ini, char* model, size_t cap);
// wyndemoc's scene for the command line's first character: '0'..'2' the model of key
// "demo0".."demo2" of section MODEL of wyndemoc.ini, anything else the key "def" (index -1).
void RunViewer(char first);
