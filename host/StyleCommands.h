// relight styles: list, show, import, export and delete the styles of the style folder.
#pragma once

#include "CommandLine.h"

void RunStylesCommand(const Options& options);
