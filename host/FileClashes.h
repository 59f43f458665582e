// The files a run reads and the files it writes, compared as the files they are (device and inode
// after links), not as names: a result never lands on something the run still needs.
#pragma once

#include <string>
#include <vector>

struct PlannedFiles {
    std::vector<std::string> reads;
    std::vector<std::string> writes;
};

// Refuses (bad input, naming both) a write onto a file the run reads or onto another write, a write
// onto anything but a regular file (a device, pipe or socket is never replaced), and a write onto a
// read-only file unless `force`. Empty names are ignored. Called before any work starts.
void CheckPlannedFiles(const PlannedFiles& files, bool force);
