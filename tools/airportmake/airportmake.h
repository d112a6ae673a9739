// The airport maker's two tasks on a read description.
#pragma once

#include <filesystem>

#include "airport_desc.h"

namespace airport {

// Writes the airport record, the route and SID file, the exchange table, the point table and
// the route previews under program/port/<code>/. false after a message when one cannot be
// written.
bool MakeTables(const Description& a, const std::filesystem::path& program);
// Writes into `folder` the layer descriptions of the parts the data places and one top
// description per scenery file, demo scene and sky, for modelmake.
bool MakeScenery(const Description& a, const std::filesystem::path& folder);
// Writes into `folder` the picture description ("airport.pic", for the picture maker's drawing
// mode) of the radar maps, drawn by the radar's screen-position rule, and of the textures of
// the demos' sky panels.
bool MakeRadar(const Description& a, const std::filesystem::path& folder);
// Holds the description and the files built from it in the program folder to the design
// rules; prints each breach and returns their number.
int Check(const Description& a, const std::filesystem::path& program);

}  // namespace airport
