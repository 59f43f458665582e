// Where results go: one output file, or a folder of results for several images.
#pragma once

#include "CommandLine.h"
#include "FileClashes.h"

#include <vector>

// The file `options.input`'s result is written to. The input is never the target unless
// --in-place says so; throws HostError when the target is missing, doubtful or of no known format.
std::string OutputOf(const Options& options);

// One run a given image, each with `input` and `output` set and checked before anything runs.
// With several images, or when -o names a folder (an existing one, or ending in '/'), each result
// goes into that folder under its image's file name.
std::vector<Options> BatchRuns(const Options& options);

// Makes the folder of results that -o names, when it is missing.
void MakeResultFolder(const Options& options);

// What `runs` (from BatchRuns) read and write, for CheckPlannedFiles. The last settings are state,
// not part of the run's files.
PlannedFiles PlannedFilesOf(const std::vector<Options>& runs);
