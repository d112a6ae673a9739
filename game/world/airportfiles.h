// The airport's files, read and written field by field: the airport record (".ad3", and the
// older ".ad2"), the route and SID file (".si2"), the exchange table (".dfa"), the point table
// (".ptd") and the route previews (".rtd"). Readers take the bytes of a file and fill the
// game's tables; writers are for the airport maker. A static library of its own, so that the
// game and the maker share one layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "world/world.h"

// ---- the airport record ----
constexpr size_t kAd3Size = 2872;  // 0xb38
constexpr size_t kAd2Size = 1336;  // 0x538
enum AirportForm {
    AIRPORT_AD3 = 0,  // 64 spots
    AIRPORT_AD2 = 1,  // 16 spots; everything from the runways on lies 0x600 bytes lower
};
// Fills `out` from an image of the form (`size` bytes; bytes beyond them read as 0). Names end
// at their first NUL or at their field's end; `lights` is held to 0-8; an ".ad2" image leaves
// spots 16-63 empty.
void ReadAirportImage(const uint8_t* bytes, size_t size, AirportForm form, AirportRecord* out);
// Writes `rec` as an image of the form into `out` (kAd3Size or kAd2Size bytes, spots beyond the
// form's count dropped); returns the bytes written.
size_t WriteAirportImage(const AirportRecord& rec, AirportForm form, uint8_t* out);

// ---- the route and SID file ----
constexpr size_t kRouteFileMax = 30000;  // bytes the game reads
constexpr size_t kRouteRecordSize = 44;
constexpr size_t kSidEntrySize = 16;
// One route record as the file holds it (the values are cut to 16 bits when read).
struct RouteRecord {
    int32_t group;  // 0-15
    int32_t index;  // 0-31
    int32_t value[5];
    char name[16];  // NUL-terminated unless all 16 bytes are used
};
// Reads the records into `routes` (emptied first) until the record whose group is -1; a record
// with a group outside 0-15 or an index outside 0-31 is skipped; a group's ninth entry is stored
// but not listed; without a group -1 record the run ends at the bytes given and the SID table
// stays empty. The bytes after that record, at most 4096, fill `sids` (emptied first).
void ReadRouteFile(const uint8_t* bytes, size_t size, RouteTable* routes, SidTable* sids);
// Writes the records, the end record (group -1) and the SID entries into `out` (`cap` bytes);
// returns the bytes written, 0 when they do not fit.
size_t WriteRouteFile(const RouteRecord* records, int count, const SidEntry* sids, int sidcount,
                      uint8_t* out, size_t cap);
// The SID lookup on a table: `config` outside 0-3 reads configuration 0; an entry whose bytes
// of the configuration are both 0 gives those of configuration 0. 1 when they equal *a and *b;
// otherwise 0 with them stored. An empty name, or 256 entries without the name, give 0, 0.
int FindSidIn(const SidTable& sids, int config, const char* name, int* a, int* b);

// ---- the exchange table ----
constexpr size_t kExchangeFileMax = 3072;
constexpr size_t kExchangeEntrySize = 24;
// Entries from the first min(size, 3072) bytes; count = those bytes / 24; the rest emptied.
void ReadExchangeFile(const uint8_t* bytes, size_t size, ExchangeTable* out);
size_t WriteExchangeFile(const ExchangeTableEntry* entries, int count, uint8_t* out, size_t cap);

// ---- the point table ----
// (x, z) pairs from the first min(size, 1024) bytes, read as they stand; count = whole pairs.
void ReadPointFile(const uint8_t* bytes, size_t size, PointTable* out);
size_t WritePointFile(const TablePoint* points, int count, uint8_t* out, size_t cap);

// ---- route previews ----
constexpr int kPreviewWords = 48;
constexpr size_t kPreviewSize = kPreviewWords * 4;
constexpr uint32_t kPreviewEnd = 0x80000000u;
// A word: point group << 16 | point index.
inline constexpr uint32_t PreviewWord(int group, int point) {
    return static_cast<uint32_t>(group) << 16 | (static_cast<uint32_t>(point) & 0xffff);
}
// Reads the 48 words of a preview file; words the bytes do not hold read as the end word.
// Returns the words read.
int ReadRoutePreview(const uint8_t* bytes, size_t size, uint32_t* words);
// Writes the words (at most 47) and the end word, the rest of the 48 words 0; returns 192, or
// 0 when the words do not fit.
size_t WriteRoutePreview(const uint32_t* words, int count, uint8_t* out);
