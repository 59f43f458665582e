// A style for people: its settings as the dialog shows them.
#pragma once

#include <string>

class LM_globals;

// The surface, ambient light and texture, the light count, then one line per light, each line
// ending in '\n'. Sliders read as their value text, colours as #RRGGBB; positions are in `g`'s
// unit from the centre.
std::string LM_DescribeStyle(const LM_globals& g);
