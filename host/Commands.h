// The program's commands, run from parsed options.
#pragma once

#include "CommandLine.h"
#include "HostError.h"

// Runs `options.command`; throws HostError on any failure.
void RunCommand(const Options& options);
