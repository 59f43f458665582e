// The texts of --help.
#pragma once

#include <string>

// The help of `command` (apply, edit, about), or the overview for any other value.
std::string HelpText(const std::string& command);
