// The flight information panel: who the selected aircraft is, where it comes from or goes, its
// time, the position in charge and what it does, drawn into the overlap cell with the overlay
// font; the frame lays three pieces of the cell over the 3D view. Its lower right corner
// carries the camera caption.
#include <cstdio>
#include <cstring>

#include "controller/controller_internal.h"
#include "base/base.h"

namespace {

struct Panel {
    int32_t shown;
    int32_t aircraft;  // whose panel it is, -1 none
    RECT corner;       // the caption's rectangle in the cell
};
Panel g_panel = {0, -1, {0, 0, 0, 0}};

tagCELL* Cell() {
    tagCELL* c = &GetCommandCells().overlap;
    return c->bits ? c : nullptr;
}
const tagCELL* Font() {
    const tagCELL* f = &GetCommandCells().font;
    return f->bits && f->xpos > 0 && f->ypos > 0 ? f : nullptr;
}

void Line(int y, const char* text) {
    tagCELL* cell = Cell();
    const tagCELL* font = Font();
    if (cell && font) DrawStringCell(cell, font, 0, y, text, 0);
}

// An entry's name of the airport's table, "" when the index lies outside it.
const char* PlaceName(const AirportPlace* table, int count, int index) {
    return index >= 0 && index < count ? table[index].name : "";
}

// The phrase of a panel status, with its place where it names one.
void StatusPhrase(const AircraftRecord& a, char* out, size_t size) {
    const AirportRecord* ap = GetAirportRecord();
    const char* spot = "";
    const char* runway = "";
    if (ap) {
        spot = PlaceName(ap->spots, kAirportSpots, a.spot != -1 ? a.spot : a.choice - 1);
        runway = PlaceName(ap->departures, kAirportRunways, a.choice - 1);
    }
    const char* phrase = "";
    const char* place = "";
    switch (StatusPanel(a.status)) {
        case 0x10:
            phrase = " APPROACHING";
            break;
        case 0x20:
            phrase = " GO AROUND";
            break;
        case 0x30:
            phrase = " LANDING";
            break;
        case 0x40:
            phrase = " TAKEOFF";
            break;
        case 0x50:
            phrase = " STANDBY TAKEOFF";
            break;
        case 0x60:
            phrase = " TAXI TO ";
            place = spot;
            break;
        case 0x70:
            phrase = " STANDBY TAXI";
            break;
        case 0x80:
            phrase = " TAXI TO RUNWAY ";
            place = runway;
            break;
        case 0x90:
            phrase = " TOWING TO HANGER";
            break;
        case 0xa0:
            phrase = " TOWING TO SPOT ";
            break;
        case 0xb0:
            phrase = " STANDBY TAKEOFF";
            break;
        case 0xc0:
            phrase = " BLOCK IN";
            break;
        case 0xd0:
            phrase = " STANDBY CLEARANCE DELIVERY";
            break;
        case 0xe0:
            phrase = " TAG CONNECTING";
            break;
        case 0xf0:
            phrase = " STANDBY PUSH BACK";
            break;
        case 0x100:
            phrase = " PUSH BACK TO RUNWAY ";
            place = runway;
            break;
        case 0x110:
            phrase = " TAG DISCONNECTING";
            break;
        case 0x120:
            phrase = " STANDBY TAXI TO RUNWAY ";
            place = runway;
            break;
        case 0x130:
            phrase = " DEPARTUREING";
            break;
        case 0x150:
            phrase = " SELECT SPOT";
            break;
        default:
            break;
    }
    std::snprintf(out, size, "%s%s%s", a.callsign, phrase, place);
}

void DrawCorner(const char* text) {
    tagCELL* cell = Cell();
    const tagCELL* font = Font();
    if (!cell || !font) return;
    const int h = font->ypos + 2;
    const int w = (font->xpos - 2) * int(std::strlen(text)) + 3;
    const RECT r = {cell->xsize - w, cell->ysize - h, cell->xsize, cell->ysize};
    // The last caption's place goes too: a shorter caption leaves nothing of a longer one.
    RECT clear = r;
    UnionRect(&clear, &clear, &g_panel.corner);
    if (g_panel.corner.right > g_panel.corner.left) ZEM_ClearCell(cell, &clear, 0);
    ZEM_ClearCell(cell, &r, 0);
    DrawStringCell(cell, font, r.left + 1, r.top + 1, text, 0);
    g_panel.corner = r;
}

}  // namespace

void FlightInfoLines(int slot, char (*lines)[kPanelLineBytes]) {
    for (int i = 0; i < kPanelLines; ++i) lines[i][0] = 0;
    const AircraftTable* t = GetAircraftTable();
    if (!t || slot < 0 || slot >= kAircraftSlots) return;
    const AircraftRecord& a = (*t)[size_t(slot)];
    const ObjectTable* objects = GetObjectTable();
    const int flight = objects ? (*objects)[size_t(slot)].flight : 0;
    const bool departure = a.strip & kStripDeparture;
    std::snprintf(lines[0], kPanelLineBytes, "%s - %s",
                  std::strcmp(a.callprefix, "CAB") == 0 ? a.callprefix : a.airline, a.airlinee);
    if (std::strcmp(a.airline, "JAF") == 0)
        std::snprintf(lines[1], kPanelLineBytes, "%s", a.callsign);
    else if (std::strcmp(a.airline, "CA2") == 0)
        std::snprintf(lines[1], kPanelLineBytes, "JA-%3.3dG", flight);
    else
        std::snprintf(lines[1], kPanelLineBytes, "FLIGHT %d", flight);
    std::snprintf(lines[2], kPanelLineBytes, "%s", a.typetext);
    if (std::strcmp(a.port, "actn") == 0)
        std::snprintf(lines[3], kPanelLineBytes, "ACROBAT FLIGHT");
    else if (a.port[0])
        std::snprintf(lines[3], kPanelLineBytes, departure ? "To %s - %s" : "From %s - %s", a.port,
                      a.portname3);
    size_t at = 0;
    if (a.sched != 0)
        at = size_t(
            std::snprintf(lines[4], kPanelLineBytes,
                          departure ? "DEPARTURE TIME %2.2d:%2.2d" : "ARRIVAL TIME %2.2d:%2.2d",
                          a.sched / 100, a.sched % 100));
    std::snprintf(lines[4] + at, kPanelLineBytes - at, "%s",
                  a.delay != 0 ? " DELAYED" : " ON TIME");
    static const char* const kCharge[kPositionCount] = {"CHARGE OF APPROACH", "CHARGE OF TOWER",
                                                        "CHARGE OF GROUND", "CHARGE OF DELIVERY",
                                                        "CHARGE OF DEPARTURE"};
    std::snprintf(
        lines[5], kPanelLineBytes, "%s",
        a.position >= 0 && a.position < kPositionCount ? kCharge[a.position] : "NO CHARGE");
    StatusPhrase(a, lines[6], kPanelLineBytes);
}

void DrawFlightInfo(int slot) {
    const AircraftTable* t = GetAircraftTable();
    if (!t || slot < 0 || slot >= kAircraftSlots) return;
    g_panel.aircraft = slot;
    g_panel.shown = 1;
    tagCELL* cell = Cell();
    if (!cell) return;
    ZEM_ClearCell(cell, nullptr, 0);
    g_panel.corner = RECT{0, 0, 0, 0};
    char lines[kPanelLines][kPanelLineBytes];
    FlightInfoLines(slot, lines);
    for (int i = 0; i < kPanelLines; ++i) Line(kPanelLineY[i], lines[i]);
    DrawInfoLine();
}

void DrawInfoLine() { DrawCorner(GetCameraCaption()); }

void DrawPanelLine(const char* text) { DrawCorner(text); }

void HideFlightInfo() { g_panel.shown = 0; }

int IsFlightInfoShown() { return g_panel.shown; }

int GetFlightInfoAircraft() { return g_panel.shown ? g_panel.aircraft : -1; }

tagCELL* GetFlightInfoCell() { return Cell(); }

RECT GetFlightInfoCorner() { return g_panel.corner; }
