// Input scripts: parsing into steps and carrying them out one per polling call.
#pragma once

#include "Events.h"

#include <string>
#include <vector>

namespace tbscript {

// A position as written: X,Y in the front window, or item N's box at fractions (fx, fy).
struct Position {
    bool item = false;
    std::int16_t x = 0, y = 0;
    std::int16_t itemNumber = 0;
    double fx = 0.5, fy = 0.5;
};

enum class Action { move, down, up, choose, keyDown, keyUp, snapshot };

struct Step {
    Action action;
    int line;             // 1-based, for messages
    unsigned long delay;  // ticks that must pass after the previous step ran
    Position pos;         // move/down/up/choose
    std::string text;     // choose: entry; snapshot: file
    std::uint8_t keyCode; // key steps
    std::uint8_t charCode;
    EventModifiers modifiers; // pointer and key steps: the modifier keys held from this step on
};

// Parses the script; false with "line N: ..." on the first bad line.
bool parse(const std::string& text, std::vector<Step>* steps, std::string* error);
// The global point of a position, taking X,Y and item boxes relative to `origin` (the global
// top-left of the front window's content), or false with a message.
bool resolve(const Position& pos, Point origin, Point* global, std::string* error);

} // namespace tbscript
