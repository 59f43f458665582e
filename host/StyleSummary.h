// What a style file holds, read by the module's own reader: a check before a file is taken into
// the style folder, and a summary for people.
#pragma once

#include <string>

// Throws HostError (bad input) naming `file` when the module would not load `bytes` as a style.
void CheckStyle(const std::string& bytes, const std::string& file);

// The style's surface, ambient light, texture and lights, one line each. Positions are in
// hundredths of half the preview's width, from its centre (x to the right, y down).
std::string DescribeStyle(const std::string& name, const std::string& bytes, const std::string& file);
