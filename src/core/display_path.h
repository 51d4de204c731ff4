// Paths as the user sees them. The game names its files as "data\veh\WQ.vob";
// messages show the path that this system opens, "data/veh/WQ.vob".
#pragma once

#include <string>
#include <string_view>

// A game path as messages show it: the path the program opens, with
// slashes and the spelling found on disk.
std::string DisplayPath(std::string_view gamePath);
