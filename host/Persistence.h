// Where the program keeps what outlives a run: the data folder (the File Manager's volume, which
// holds the style folder) and the last accepted parameter block.
#pragma once

#include <string>

// $RELIGHT_HOME, else $XDG_DATA_HOME/relight, else ~/.local/share/relight.
std::string DataFolder();

// $XDG_STATE_HOME/relight, else ~/.local/state/relight.
std::string StateFolder();

// The file holding the last accepted block.
std::string LastBlockPath();

// The last accepted block; throws HostError when there is none yet.
std::string ReadLastBlock();

// Keeps `block` as the last accepted one, replacing the previous file whole.
void SaveLastBlock(const std::string& block);
