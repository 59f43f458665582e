// Where the program keeps what outlives a run: the last accepted parameter block.
#pragma once

#include <string>

// $XDG_STATE_HOME/relight, else ~/.local/state/relight.
std::string StateFolder();

// The file holding the last accepted block.
std::string LastBlockPath();

// The last accepted block; throws HostError when there is none yet.
std::string ReadLastBlock();

// Keeps `block` as the last accepted one, replacing the previous file whole.
void SaveLastBlock(const std::string& block);
