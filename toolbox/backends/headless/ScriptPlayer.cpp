// Replays an input script: at most one step per polling call, each when the application is ready
// for it and its wait has passed; positions are resolved against the front window when the step
// runs, so a script survives a change of screen size or dialog position.
#include "BackendState.h"
#include "EventState.h"
#include "Script.h"
#include "Windows.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

struct Player {
    std::vector<tbscript::Step> steps;
    std::size_t next = 0;
    unsigned long lastRun = 0; // tick at which the previous step ran (or the script was loaded)
    std::string error;
    std::string choice;
    bool choicePending = false;
    bool pressed = false;
    EventModifiers held = 0; // the modifier keys the script holds down
    Point pressOrigin{0, 0}; // positions stay relative to where the window was at the press
    TBItemBoxResolver resolver = nullptr;
};

Player& pl() {
    static Player p;
    return p;
}

Point frontOrigin() {
    Rect content{0, 0, 0, 0};
    if (WindowPtr front = FrontWindow())
        TBGetWindowContentRect(front, &content);
    return Point{content.top, content.left};
}

// Lets go of the modifier keys the script holds, as a hand leaving the keyboard.
void releaseModifiers() {
    if (pl().held)
        tbev::holdModifiers(0);
    pl().held = 0;
}

void run(const tbscript::Step& s) {
    using tbscript::Action;
    Point at{};
    std::string why;
    const bool pointer = s.action == Action::move || s.action == Action::down || s.action == Action::up ||
                         s.action == Action::choose;
    if (s.action != Action::snapshot) {
        tbev::holdModifiers(s.modifiers);
        pl().held = s.modifiers;
    }
    if (pointer) {
        const Point origin = pl().pressed ? pl().pressOrigin : frontOrigin();
        if (!tbscript::resolve(s.pos, origin, &at, &why))
            return TBScriptFail(why);
        TBInputMouseMove(at);
        pl().pressed = s.action == Action::down || s.action == Action::choose ||
                       (pl().pressed && s.action == Action::move);
        pl().pressOrigin = origin;
    }
    switch (s.action) {
    case Action::down:
        TBInputMouseButton(true);
        break;
    case Action::up:
        TBInputMouseButton(false);
        break;
    case Action::choose:
        pl().choice = s.text;
        pl().choicePending = true;
        TBInputMouseButton(true);
        break;
    case Action::keyDown:
    case Action::keyUp:
        TBInputKey(s.keyCode, s.charCode, s.action == Action::keyDown);
        break;
    case Action::snapshot:
        if (!TBSnapshotScreen(s.text, &why))
            TBScriptFail(why);
        break;
    case Action::move:
        break;
    }
}

// A tracking loop may take the moves and the release of the press it tracks, and a snapshot of what
// it shows meanwhile; nothing else.
bool continuesPress(const tbscript::Step& s) {
    using tbscript::Action;
    return pl().pressed &&
           (s.action == Action::move || s.action == Action::up || s.action == Action::snapshot);
}

} // namespace

namespace tbscript {

namespace {

// Saturates: an item near the edge of a far-off window must not wrap to the other side.
std::int16_t coordinate(double v) {
    return std::int16_t(std::clamp(v, -32768.0, 32767.0));
}

} // namespace

bool resolve(const Position& pos, Point origin, Point* global, std::string* error) {
    WindowPtr front = FrontWindow();
    if (!pos.item) {
        *global = Point{coordinate(origin.v + pos.y), coordinate(origin.h + pos.x)};
        return true;
    }
    Rect box;
    if (!front || !pl().resolver || !pl().resolver(front, pos.itemNumber, &box))
        return *error = "no item " + std::to_string(pos.itemNumber) + " in the front dialog", false;
    const double h = box.left + pos.fx * (box.right - box.left),
                 v = box.top + pos.fy * (box.bottom - box.top);
    *global = Point{coordinate(origin.v + std::floor(v)), coordinate(origin.h + std::floor(h))};
    return true;
}

} // namespace tbscript

namespace tbback {

// A script that ends (or fails) with the button down releases it, so no tracking loop waits for
// a release that will never come; it lets go of its modifier keys too.
void scriptStep(tbev::Input level) {
    Player& p = pl();
    if (!scriptHasSteps()) {
        if (!p.steps.empty() && tbev::buttonDown())
            TBInputMouseButton(false);
        releaseModifiers();
        return;
    }
    const tbscript::Step& s = p.steps[p.next];
    if (tbev::now() - p.lastRun < s.delay || (level != tbev::Input::gesture && !continuesPress(s)))
        return;
    p.lastRun = tbev::now();
    run(p.steps[p.next++]);
}

void scriptIdle() {
    const Player& p = pl();
    if (scriptHasSteps() && tbev::now() - p.lastRun < p.steps[p.next].delay)
        std::this_thread::sleep_for(std::chrono::microseconds(1000000 / 60));
}

bool scriptHasSteps() {
    return pl().error.empty() && pl().next < pl().steps.size();
}

void scriptReset() {
    releaseModifiers();
    TBItemBoxResolver keep = pl().resolver;
    pl() = Player{};
    pl().resolver = keep;
}

} // namespace tbback

bool TBLoadInputScript(const std::string& text, std::string* error) {
    tbback::scriptReset();
    pl().lastRun = tbev::now();
    return tbscript::parse(text, &pl().steps, error);
}

bool TBLoadInputScriptFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return *error = "cannot read " + path, false;
    std::ostringstream text;
    text << in.rdbuf();
    if (!TBLoadInputScript(text.str(), error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool TBScriptFinished() {
    return !tbback::scriptHasSteps();
}
const std::string& TBScriptError() {
    return pl().error;
}

// Names the line of the step that was carried out last, which is the one that failed.
void TBScriptFail(const std::string& message) {
    Player& p = pl();
    if (!p.error.empty())
        return;
    p.error = p.next > 0 ? "line " + std::to_string(p.steps[p.next - 1].line) + ": " + message : message;
}

void TBSetItemBoxResolver(TBItemBoxResolver resolver) {
    pl().resolver = resolver;
}

bool TBTakeScriptedChoice(std::string* text) {
    if (!pl().choicePending)
        return false;
    pl().choicePending = false;
    *text = pl().choice;
    return true;
}
