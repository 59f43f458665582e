// Virtual key codes of the US keyboard for characters, for the named keys of input scripts and for
// the modifier keys their lines hold.
#include "Backend.h"
#include "EventState.h"

#include <cstring>

namespace {

struct NamedKey {
    const char* name;
    std::uint8_t code;
    std::uint8_t ch;
};

const NamedKey kNamedKeys[] = {
    {"return", kVKReturn, 0x0D},  {"enter", kVKKeypadEnter, 0x03}, {"escape", kVKEscape, 0x1B},
    {"tab", kVKTab, 0x09},        {"delete", kVKDelete, 0x08},     {"forward-delete", kVKForwardDelete, 0x7F},
    {"left", kVKLeftArrow, 0x1C}, {"right", kVKRightArrow, 0x1D},  {"up", kVKUpArrow, 0x1E},
    {"down", kVKDownArrow, 0x1F}, {"space", kVKSpace, ' '},
};

struct ModifierKey {
    const char* word;
    std::uint8_t code;
    EventModifiers bit;
};

const ModifierKey kModifierKeys[] = {
    {"+shift", kVKShift, shiftKey},
    {"+option", kVKOption, optionKey},
    {"+command", kVKCommand, cmdKey},
    {"+control", kVKControl, controlKey},
};

// Unshifted characters in key-code order; '\0' marks codes without a character here.
const char kPlain[] = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.\0 `";
// The shifted character of each key of kPlain, same positions.
const char kShifted[] = "ASDFHGZXCV\0BQWERYT!@#$^%+(&_*)}OU{IP\0LJ\"K:|<?NM>\0 ~";

} // namespace

namespace tbev {

bool keyForChar(char ch, std::uint8_t* keyCode, bool* shift) {
    for (std::size_t i = 0; i < sizeof(kPlain) - 1; ++i) {
        if (kPlain[i] != '\0' && kPlain[i] == ch) {
            *keyCode = std::uint8_t(i);
            *shift = false;
            return true;
        }
        if (kShifted[i] != '\0' && kShifted[i] == ch) {
            *keyCode = std::uint8_t(i);
            *shift = kShifted[i] != ' ';
            return true;
        }
    }
    return false;
}

bool keyForName(const std::string& name, std::uint8_t* keyCode, std::uint8_t* charCode) {
    for (const NamedKey& k : kNamedKeys)
        if (name == k.name) {
            *keyCode = k.code;
            *charCode = k.ch;
            return true;
        }
    bool shift;
    if (name.size() == 1 && keyForChar(name[0], keyCode, &shift)) {
        *charCode = std::uint8_t(name[0]);
        return true;
    }
    return false;
}

char charForKey(std::uint8_t keyCode, bool shift) {
    if (keyCode >= sizeof(kPlain) - 1)
        return 0;
    return shift ? kShifted[keyCode] : kPlain[keyCode];
}

std::string nameForKey(std::uint8_t keyCode, std::uint8_t charCode) {
    for (const NamedKey& k : kNamedKeys)
        if (keyCode == k.code)
            return k.name;
    return std::string(1, char(charCode));
}

bool modifierForWord(const std::string& word, EventModifiers* bit) {
    for (const ModifierKey& k : kModifierKeys)
        if (word == k.word) {
            *bit = k.bit;
            return true;
        }
    return false;
}

std::string wordsForModifiers(EventModifiers held) {
    std::string words;
    for (const ModifierKey& k : kModifierKeys)
        if (held & k.bit)
            words += std::string(" ") + k.word;
    return words;
}

void holdModifiers(EventModifiers held) {
    for (const ModifierKey& k : kModifierKeys)
        TBInputKey(k.code, 0, (held & k.bit) != 0);
}

} // namespace tbev
