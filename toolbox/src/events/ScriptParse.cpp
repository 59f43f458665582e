// Reading input scripts into steps. Each line becomes the presses and releases it stands for; `wait`
// only delays what follows.
#include "EventState.h"
#include "Script.h"
#include "Utf8.h"

#include <sstream>

namespace tbscript {

namespace {

// Numbers outside [lo, hi] (NaN included) are refused here, so no conversion downstream can overflow.
bool parseNumber(const std::string& s, double lo, double hi, double* out) {
    std::istringstream in(s);
    in >> *out;
    return !in.fail() && in.eof() && *out >= lo && *out <= hi;
}

constexpr double kCoordinateLimit = 16383;  // a window origin added to it stays a QuickDraw coordinate
constexpr double kLongestWaitMs = 86400000; // one day

bool parsePosition(const std::string& s, Position* pos) {
    std::string body = s;
    if (!s.empty() && s[0] == '@') {
        pos->item = true;
        std::string rest = s.substr(1), fractions;
        if (auto colon = rest.find(':'); colon != std::string::npos) {
            fractions = rest.substr(colon + 1);
            rest = rest.substr(0, colon);
        }
        double n;
        if (!parseNumber(rest, 1, 32767, &n))
            return false;
        pos->itemNumber = std::int16_t(n);
        if (fractions.empty())
            return true;
        body = fractions;
    }
    auto comma = body.find(',');
    const double lo = pos->item ? 0 : -kCoordinateLimit, hi = pos->item ? 1 : kCoordinateLimit;
    double a, b;
    if (comma == std::string::npos || !parseNumber(body.substr(0, comma), lo, hi, &a) ||
        !parseNumber(body.substr(comma + 1), lo, hi, &b))
        return false;
    if (pos->item) {
        pos->fx = a;
        pos->fy = b;
    } else {
        pos->x = std::int16_t(a);
        pos->y = std::int16_t(b);
    }
    return true;
}

std::string restOf(std::istringstream& in) {
    std::string rest;
    std::getline(in, rest);
    auto first = rest.find_first_not_of(" \t");
    return first == std::string::npos ? "" : rest.substr(first);
}

// The modifier words that may end a pointer or key line; all of them together are what is held.
bool parseModifiers(std::istringstream& in, EventModifiers* held, std::string* why) {
    *held = 0;
    for (std::string word; in >> word;) {
        EventModifiers bit;
        if (!tbev::modifierForWord(word, &bit))
            return *why = "unknown modifier " + word, false;
        *held |= bit;
    }
    return true;
}

struct Parser {
    std::vector<Step>* steps;
    unsigned long delay; // waited for since the last step
    int line;

    Step make(Action a) {
        Step s{};
        s.action = a;
        s.line = line;
        s.delay = delay;
        delay = 0;
        return s;
    }
    void pointer(Action a, const Position& pos, EventModifiers held) {
        Step s = make(a);
        s.pos = pos;
        s.modifiers = held;
        steps->push_back(s);
    }
    // A key line holds its modifiers on; a typed character lets them go with the key.
    void key(std::uint8_t code, std::uint8_t ch, EventModifiers held, EventModifiers after) {
        Step down = make(Action::keyDown);
        down.keyCode = code;
        down.charCode = ch;
        down.modifiers = held;
        steps->push_back(down);
        Step up = down;
        up.action = Action::keyUp;
        up.modifiers = after;
        steps->push_back(up);
    }

    // Press on the pop-up, leave the entry for its tracking, release; no modifier keys held.
    bool choose(const Position& pos, const std::string& entry, std::string* why) {
        if (entry.empty())
            return *why = "choose needs the entry's text", false;
        pointer(Action::choose, pos, 0);
        steps->back().text = entry;
        pointer(Action::up, pos, 0);
        return true;
    }

    // ASCII as key presses; any other character as its UTF-8 bytes, delivered as text.
    bool type(const std::string& text, std::string* why) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        for (int at = 0; at < int(text.size());) {
            const int start = at;
            utf8::next(bytes, int(text.size()), &at);
            std::uint8_t code;
            bool shift;
            if (bytes[start] < 0x80 && tbev::keyForChar(char(bytes[start]), &code, &shift)) {
                key(code, bytes[start], shift ? shiftKey : 0, 0);
                continue;
            }
            if (bytes[start] < 0x80 || at - start != utf8::sequenceLength(bytes[start]))
                return *why = "cannot type '" + text.substr(std::size_t(start), 1) + "'", false;
            for (int k = start; k < at; ++k) {
                Step s = make(Action::keyDown);
                s.keyCode = kVKText;
                s.charCode = bytes[k];
                steps->push_back(s);
            }
        }
        return true;
    }

    // One line; false with the reason.
    bool parseLine(const std::string& text, std::string* why);
};

bool Parser::parseLine(const std::string& text, std::string* why) {
    std::istringstream in(text);
    std::string verb, arg;
    if (!(in >> verb) || verb[0] == '#')
        return true;
    Position pos;
    EventModifiers held = 0;
    if (verb == "move" || verb == "down" || verb == "up" || verb == "click" || verb == "choose") {
        if (!(in >> arg) || !parsePosition(arg, &pos))
            return *why = "expected a position (X,Y within +-16383, @N or @N:FX,FY with fractions 0 to 1)",
                   false;
        if (verb == "choose")
            return choose(pos, restOf(in), why);
        if (!parseModifiers(in, &held, why))
            return false;
        if (verb == "click" || verb == "down")
            pointer(Action::down, pos, held);
        if (verb == "click" || verb == "up")
            pointer(Action::up, pos, held);
        if (verb == "move")
            pointer(Action::move, pos, held);
        return true;
    }
    if (verb == "key") {
        std::uint8_t code, ch;
        if (!(in >> arg) || !tbev::keyForName(arg, &code, &ch))
            return *why = "unknown key name", false;
        if (!parseModifiers(in, &held, why))
            return false;
        key(code, ch, held, held);
        return true;
    }
    if (verb == "type")
        return type(restOf(in), why);
    if (verb == "wait") {
        double ms;
        if (!(in >> arg) || !parseNumber(arg, 0, kLongestWaitMs, &ms))
            return *why = "wait needs 0 to 86400000 milliseconds", false;
        delay += static_cast<unsigned long>((ms * 60 + 999) / 1000);
        return true;
    }
    if (verb == "snapshot") {
        std::string file = restOf(in);
        if (file.empty())
            return *why = "snapshot needs a file name", false;
        steps->push_back(make(Action::snapshot));
        steps->back().text = file;
        return true;
    }
    return *why = "unknown command '" + verb + "'", false;
}

} // namespace

bool parse(const std::string& text, std::vector<Step>* steps, std::string* error) {
    steps->clear();
    Parser p{steps, 0, 0};
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        ++p.line;
        std::string why;
        if (!p.parseLine(line, &why)) {
            *error = "line " + std::to_string(p.line) + ": " + why + ": " + line;
            steps->clear();
            return false;
        }
    }
    return true;
}

} // namespace tbscript
