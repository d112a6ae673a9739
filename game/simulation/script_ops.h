// The aircraft move script (".sce"): its opcode table, the decoding of one record, and the
// script's source form. One table drives the game's interpreter, the script maker tools/scemake
// and its listing, so that all three agree on every record's operands and length.
//
// A script is a run of records with no header: a 32-bit little-endian opcode, then its operands
// in the table's order: 32-bit signed words, and NUL-terminated texts stored in
// (length div 4) x 4 + 4 bytes, zero padded, so that the next field starts on a 4-byte boundary.
// Jump targets are byte offsets from the start of the script. A value that is no opcode of the
// table (by convention -1) leaves the script standing there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The most bytes a script holds: the aircraft's script buffer.
constexpr int kScriptMaxBytes = 0x4000;

// ---- the opcode table ----
// Operand kinds, one letter each in a signature:
//   'i' a word; 'l' a jump target (a word: byte offset from the start); 'z' a word written 0
//   and not read; 'n' a text whose field is 16 bytes (names, labels, callsign, portword,
//   name2); 'v' a text whose field is 8 bytes (variant names, creation codes); 'r' a text of
//   the answer ring's 32-byte field; 't' a text without a field (the radio text window's).
constexpr int kScriptMaxWords = 12;  // words of one record, jump targets and pads included
constexpr int kScriptMaxTexts = 6;   // texts of one record

struct ScriptOpInfo {
    int32_t opcode;
    const char* mnemonic;  // the source form's name
    const char* operands;  // signature, in file order
};

// The entry of `opcode`, or null for a value outside the table.
const ScriptOpInfo* FindScriptOp(int32_t opcode);
// The entry named `mnemonic` (exact), or null.
const ScriptOpInfo* FindScriptMnemonic(const char* mnemonic);
// Every entry, in the table's order; `count` receives their number.
const ScriptOpInfo* ScriptOpTable(size_t* count);
// Whether an operand kind is a text; the field size of a text kind ('n' 16, 'v' 8, 'r' 32), 0
// for 't' (no field) and non-texts.
bool ScriptIsText(char kind);
size_t ScriptTextField(char kind);
// The record's length without its texts: 4 for the opcode and 4 per word.
size_t ScriptFixedSize(const ScriptOpInfo& info);
// The bytes a text of `length` characters takes: (length div 4) x 4 + 4.
constexpr size_t ScriptTextSize(size_t length) { return length / 4 * 4 + 4; }

// ---- one record (ScriptOp) ----
// A decoded record: its words (jump targets and pads among them) and texts in file order, each
// text pointing into the script's bytes and ending at its NUL there.
struct ScriptOp {
    const ScriptOpInfo* info;
    int32_t opcode;
    int32_t word[kScriptMaxWords];
    const char* text[kScriptMaxTexts];
    size_t words;
    size_t texts;
    size_t size;  // the record's length in bytes
};

// Decodes the record at `pos` of the `size` bytes of a script. 1 when the opcode is in the table
// and the whole fixed part and every text, NUL included, lie inside the bytes; else 0 (`op`
// then holds what was read).
int DecodeScriptOp(const uint8_t* bytes, size_t size, size_t pos, ScriptOp* op);

// ---- the source form ----
// A source line is a label ("name:"), or an opcode (its number or mnemonic) with its operands:
// decimal or 0x numbers, "texts" (UTF-8, made Shift-JIS; escapes \" \\ \xHH), "@label" (the
// label's byte offset) for a number; '#' starts a comment. ".word" and ".byte" lines give raw
// values. Counts, kinds and text lengths are checked against the table; a script holds at most
// kScriptMaxBytes bytes.
struct ScriptError {
    int line;  // 1-based
    std::string text;
};
// Makes the script of `source`. Returns 1 with the bytes, or 0 with the errors (each with its
// line) and no bytes.
int MakeScript(const std::string& source, std::vector<uint8_t>* bytes,
               std::vector<ScriptError>* errors);
// Lists the script's bytes in the source form (UTF-8). A record that would not make the same
// bytes again (an unknown opcode, a record cut short, a text without its NUL, non-zero padding
// or pads, a text longer than its field) is listed as ".word" lines, and a tail of fewer than 4
// bytes as a ".byte" line, so that MakeScript of the listing gives back every byte.
std::string ListScript(const uint8_t* bytes, size_t size);
