// Where the program keeps what outlives a run: the data folder (the File Manager's volume, which
// holds the style folder) and the settings of the last accepted dialog.
#pragma once

#include <string>

// $RELIGHT_HOME, else $XDG_DATA_HOME/relight, else ~/.local/share/relight, where ~ is $HOME or,
// when HOME is not set, the account's home; empty when there is none (never / or the working folder).
std::string DataFolder();

// $XDG_STATE_HOME/relight, else ~/.local/state/relight (~ as for DataFolder); empty when none.
std::string StateFolder();

// The last accepted dialog's settings, kept in two forms: the parameter block that plain apply
// repeats and the style file the next dialog opens with. Nothing else writes them.
std::string LastBlockPath();
std::string LastSettingsPath();

// The last accepted block; throws HostError when there is none yet.
std::string ReadLastBlock();

// The kept style bytes, and in `style` the style the dialog showed with them (empty when none); empty
// when there are none yet or they cannot be read (then with a warning on stderr: a dialog can open
// without them).
std::string ReadLastSettings(std::string& style);

// Keeps both forms and the style the dialog showed, each file replaced whole; a failure is only a
// warning on stderr: the written image is the product. Empty `settings` keep the block alone.
void KeepLastSettings(const std::string& block, const std::string& settings, const std::string& style);

// One line on stderr: "relight: warning: <what> (<cause>)[: <file>]".
void Warn(const std::string& what, const std::string& cause, const std::string& file);
