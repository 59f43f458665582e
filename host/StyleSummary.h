// What a style file holds, read by the loaded module: a check before a file is taken into the style
// folder, the style from either of its forms, and the forms for people.
#pragma once

#include "PluginStyles.h"

#include <string>

// Throws HostError (bad input) naming `file` with the module's reason when `bytes` are a damaged
// style; returns when they are a style, or no style at all.
void RefuseDamagedStyle(const PluginStyles& styles, const std::string& bytes, const std::string& file);
// Throws HostError (bad input) naming `file` when the module would not load `bytes` as a style.
void CheckStyle(const PluginStyles& styles, const std::string& bytes, const std::string& file);

// A style read from a file, with the name its JSON gives (empty for a style file's bytes).
struct ReadStyle {
    StylePtr style;
    std::string name;
};

// The style in `bytes`, a style file's bytes or its JSON text (whatever its name); throws HostError
// (bad input) naming `file` and, for JSON, the line or field at fault.
ReadStyle ReadStyleFile(const PluginStyles& styles, const std::string& bytes, const std::string& file);

// The style's name, then the module's summary: surface, ambient light, texture and lights, one line
// each, values as the dialog shows them. Positions are in hundredths of half the preview's width,
// from its centre (x to the right, y down).
std::string DescribeStyle(const PluginStyles& styles, const std::string& name, const std::string& bytes,
                          const std::string& file);

// The style as JSON named `name`, the form `relight styles import` reads.
std::string StyleJSON(const PluginStyles& styles, const std::string& name, const std::string& bytes,
                      const std::string& file);
