// Where the program keeps what outlives a run: the data folder (the File Manager's volume, which
// holds the style folder) and the last accepted parameter block.
#pragma once

#include <string>

// $RELIGHT_HOME, else $XDG_DATA_HOME/relight, else ~/.local/share/relight, where ~ is $HOME or,
// when HOME is not set, the account's home; empty when there is none (never / or the working folder).
std::string DataFolder();

// $XDG_STATE_HOME/relight, else ~/.local/state/relight (~ as for DataFolder); empty when none.
std::string StateFolder();

// The file holding the last accepted block.
std::string LastBlockPath();

// The last accepted block; throws HostError when there is none yet.
std::string ReadLastBlock();

// The same, but a failure is only a warning on stderr: the written image is the product.
void KeepLastBlock(const std::string& block);

// Keeps `block` as the last accepted one, replacing the previous file whole.
void SaveLastBlock(const std::string& block);
