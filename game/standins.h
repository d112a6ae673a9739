// The calls that reached the stand-ins of functions other modules still have to build, one line
// each ("AddStripMemo 3 FAST"), so that tests can follow them; a stand-in and its line leave as
// the real function lands.
#pragma once

#include <string>
#include <vector>

std::vector<std::string>& StandInCalls();
