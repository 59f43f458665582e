// Writes live input as an input script, positions relative to the front window's content, the
// modifier keys held at each press, move, release and key, and `wait` lines for the time between
// events, so a session can be replayed headless.
#include "BackendState.h"
#include "EventState.h"
#include "Windows.h"

#include <fstream>

namespace {

struct Recorder {
    std::ofstream out;
    unsigned long last = 0;
    bool started = false;
    Point pressOrigin{0, 0}; // as the player does: a press's positions stay relative to where it began
};

Recorder& rec() {
    static Recorder r;
    return r;
}

void waitSince(unsigned long ticks) {
    Recorder& r = rec();
    if (r.started && ticks > r.last)
        r.out << "wait " << (ticks - r.last) * 1000 / 60 << "\n";
    r.started = true;
    r.last = ticks;
}

} // namespace

namespace tbback {

void recordPointer(const char* verb, Point global, unsigned long ticks) {
    if (!rec().out.is_open())
        return;
    waitSince(ticks);
    Rect content{0, 0, 0, 0};
    if (WindowPtr front = FrontWindow())
        TBGetWindowContentRect(front, &content);
    const bool down = std::string(verb) == "down";
    if (down)
        rec().pressOrigin = Point{content.top, content.left};
    const Point o = down || tbev::buttonDown() || std::string(verb) == "up"
                        ? rec().pressOrigin
                        : Point{content.top, content.left};
    rec().out << verb << " " << global.h - o.h << "," << global.v - o.v
              << tbev::wordsForModifiers(tbev::modifiers()) << "\n";
}

void recordText(const std::string& text, unsigned long ticks) {
    if (!rec().out.is_open())
        return;
    waitSince(ticks);
    rec().out << "type " << text << "\n";
}

void recordKey(std::uint8_t keyCode, std::uint8_t charCode, unsigned long ticks) {
    if (!rec().out.is_open())
        return;
    waitSince(ticks);
    rec().out << "key " << tbev::nameForKey(keyCode, charCode) << tbev::wordsForModifiers(tbev::modifiers())
              << "\n";
}

} // namespace tbback

bool TBStartRecording(const std::string& path, std::string* error) {
    TBStopRecording();
    rec().out.open(path, std::ios::trunc);
    if (!rec().out)
        return *error = "cannot write " + path, false;
    return true;
}

void TBStopRecording() {
    rec().out.close();
    rec() = Recorder{};
}
