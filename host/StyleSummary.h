// What a style file holds, read by the loaded module: a check before a file is taken into the style
// folder, and a summary for people.
#pragma once

#include "PluginStyles.h"

#include <string>

// Throws HostError (bad input) naming `file` when the module would not load `bytes` as a style.
void CheckStyle(const PluginStyles& styles, const std::string& bytes, const std::string& file);

// The style's name, then the module's summary: surface, ambient light, texture and lights, one line
// each. Positions are in hundredths of half the preview's width, from its centre (x to the right,
// y down).
std::string DescribeStyle(const PluginStyles& styles, const std::string& name, const std::string& bytes,
                          const std::string& file);
