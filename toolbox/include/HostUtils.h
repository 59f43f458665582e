// Utilities the host offers the module beside the Toolbox proper.
#pragma once

#include "Types.h"

// Shows the about box of dialog resource `dialogID`.
void ShowAbout(std::int16_t dialogID);
