// The opcode table of the aircraft move script and the decoding of one record through the one
// byte reader.
#include "simulation/script_ops.h"

#include <array>
#include <cstring>

#include "wynbytes.h"

namespace {

// Every opcode the interpreter knows, with its operands in file order (signature letters as in
// script_ops.h). Flow, wait and script changes first, then the actions.
constexpr ScriptOpInfo kOps[] = {
    {200, "waitbearing", "iii"},                  // x, z, bearing
    {210, "waitheading", "i"},                    // heading (above 1000: the target heading)
    {220, "waitphase", "i"},                      // wait while the phase equals it
    {221, "waitphaseof", "ii"},                   // ID, phase
    {230, "wait", "i"},                           // seconds
    {240, "waitspeed", "ii"},                     // operator, knots
    {250, "waitheight", "ii"},                    // operator, feet
    {260, "waitstatus", "ii"},                    // operator, status
    {261, "waitstatusof", "iii"},                 // ID, operator, status
    {270, "waitdistance", "iiii"},                // operator, x, z, distance
    {280, "waitfollow", "i"},                     // relative ID
    {820, "waitplayer", "i"},                     // aircraft ID below 20, else a menu item
    {860, "waitvalue", "iiii"},                   // ID, operator, kind, value
    {5000, "if", "iiil"},                         // value A, operator, value B, target
    {5010, "goto", "l"},                          // target
    {5020, "set", "ii"},                          // variable, value
    {5030, "setlabel", "in"},                     // kind, label
    {500, "load", "n"},                           // script
    {510, "loadcandidate", "i"},                  // candidate index
    {520, "check", "in"},                         // check code, script
    {530, "loadspot", ""},                        //
    {540, "approach", "iiiii"},                   // operator, x, z, distance, configuration slot
    {550, "loadroute", "n"},                      // name before the route's name
    {570, "slot", "in"},                          // slot, script
    {572, "loadslot", "in"},                      // slot, script
    {574, "copyslot", "ii"},                      // who, slot (-1 all)
    {576, "slotcopy", "ii"},                      // from, to
    {20, "flyto", "iin"},                         // x, z, portword
    {24, "landspecial", "iiii"},                  // x, z, heading, line
    {25, "land", "iii"},                          // x, z, heading
    {27, "takeoff", "i"},                         // heading
    {28, "touchgo", "ii"},                        // heading, rotation knots
    {30, "heading", "i"},                         // heading
    {31, "turnrates", "iii"},                     // radius, pitch limit, pitch rate
    {32, "reversal", "i"},                        // heading
    {33, "levelbank", "i"},                       // bank held when not turning
    {34, "turnto", "i"},                          // heading
    {35, "taxi", "iii"},                          // x, z, heading
    {37, "taxiaway", "iii"},                      // x, z, heading (turned by 180)
    {39, "direct", "iiii"},                       // x, z, feet, heading
    {40, "speed", "ii"},                          // knots, ticks
    {41, "accel", "ii"},                          // knots, knots per second
    {42, "catchup", "iiii"},                      // ID, distance, knots, knots
    {43, "speedlinked", "ii"},                    // knots, ticks
    {50, "height", "ii"},                         // feet, climb step
    {51, "climb", "iii"},                         // feet, climb step, pitch rate
    {60, "spotin", "i"},                          // spot
    {61, "park", "z"},                            //
    {70, "pushback", "iii"},                      // x, z, heading
    {80, "taxistop", "iii"},                      // x, z, heading
    {82, "steer", "i"},                           // heading
    {90, "follow", "iiiiii"},                     // ID, x, z, feet, offset mode, steps
    {91, "release", "in"},                        // ID, script
    {92, "formation", "i"},                       // flag
    {93, "link", "i"},                            // ID
    {94, "unlink", "i"},                          // ID
    {135, "groundheight", "i"},                   // height
    {136, "area", "i"},                           // area
    {100, "menuitem", "iiiiiiii"},                // item code, seven words
    {110, "clearmenu", ""},                       //
    {120, "ownitem", "iiiiiii"},                  // item, six words
    {121, "approachentry", "iiiiiiiiiiin"},       // entry, 3 points, 4 words, script
    {122, "approachvariants", "iiiviiviiviiii"},  // entry, 3 (point, script), 4 words
    {130, "candidate", "iniiiii"},                // index, script, a word not read, 4 words
    {140, "spotoffer", "iinnnnnniiii"},           // value, spot, 3 (script, label), 4 words
    {170, "listentry", "iiiiiiiin"},              // 8 words, text
    {171, "listentry2", "iiiiiiiiinn"},           // list, 8 words, 2 texts
    {10, "call", "ii"},                           // position, message
    {12, "callsign", "n"},                        // callsign
    {101, "radiomessage", "iiiiii"},              // six words
    {102, "radiotext", "iiiiiiir"},               // seven words, text
    {300, "status", "ii"},                        // mode, status
    {302, "givestatus", "i"},                     // ID
    {310, "memo", "t"},                           // strip memo
    {400, "part", "i"},                           // part code
    {410, "sound", "ti"},                         // name, a word not read
    {420, "oneshot", "t"},                        // name
    {600, "emergency", "iiiii"},                  // code, four words
    {602, "callblock", "iiiiiii"},                // position, result, flags, four messages
    {610, "portword", "n"},                       // portword
    {620, "name2", "n"},                          // second name
    {630, "setting", "ii"},                       // kind, value
    {710, "textwindow", "iitni"},                 // x, y, text, voice, wait
    {800, "ready", "iiiin"},                      // ID, flight, quantity, kind, script
    {810, "hold", "ii"},                          // ID, flag
    {830, "create", "iiiiiiivvviiiiin"},          // 7 words, 3 codes, 5 words, script
    {850, "endstage", ""},                        //
};

}  // namespace

const ScriptOpInfo* FindScriptOp(int32_t opcode) {
    for (const ScriptOpInfo& op : kOps)
        if (op.opcode == opcode) return &op;
    return nullptr;
}

const ScriptOpInfo* FindScriptMnemonic(const char* mnemonic) {
    if (!mnemonic) return nullptr;
    for (const ScriptOpInfo& op : kOps)
        if (std::strcmp(op.mnemonic, mnemonic) == 0) return &op;
    return nullptr;
}

const ScriptOpInfo* ScriptOpTable(size_t* count) {
    if (count) *count = std::size(kOps);
    return kOps;
}

bool ScriptIsText(char kind) { return kind == 'n' || kind == 'v' || kind == 'r' || kind == 't'; }

size_t ScriptTextField(char kind) {
    switch (kind) {
        case 'n':
            return 16;
        case 'v':
            return 8;
        case 'r':
            return 32;
        default:
            return 0;
    }
}

size_t ScriptFixedSize(const ScriptOpInfo& info) {
    size_t n = 4;
    for (const char* k = info.operands; *k; ++k)
        if (!ScriptIsText(*k)) n += 4;
    return n;
}

int DecodeScriptOp(const uint8_t* bytes, size_t size, size_t pos, ScriptOp* op) {
    *op = ScriptOp{};
    wyn::ByteReader r(bytes, size);
    if (!r.seek(pos)) return 0;
    op->opcode = r.i32();
    if (!r.ok()) return 0;
    op->info = FindScriptOp(op->opcode);
    if (!op->info) return 0;
    for (const char* k = op->info->operands; *k; ++k) {
        if (ScriptIsText(*k)) {
            // The text and its NUL, and the padding to the next word, lie inside the bytes.
            const size_t at = r.pos();
            const void* nul = r.left() ? std::memchr(bytes + at, 0, r.left()) : nullptr;
            if (!nul) return 0;
            const size_t length = size_t(static_cast<const uint8_t*>(nul) - (bytes + at));
            if (!r.skip(ScriptTextSize(length))) return 0;
            op->text[op->texts++] = reinterpret_cast<const char*>(bytes + at);
        } else {
            op->word[op->words++] = r.i32();
            if (!r.ok()) return 0;
        }
    }
    op->size = r.pos() - pos;
    return 1;
}
