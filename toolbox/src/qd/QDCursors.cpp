// Cursors. The system cursors exist without resources; others come from 'CURS' resources through
// the fetcher the Resource Manager registers.
#include "Backend.h"
#include "Memory.h"
#include "QDInternal.h"

#include <map>

namespace {

struct CursorState {
    Cursor current = qd.arrow;
    TBResourceFetcher fetch = nullptr;
    std::map<std::int16_t, std::pair<Cursor, Cursor*>> loaded; // native copies of 'CURS' resources
};

CursorState& state() {
    static CursorState s;
    return s;
}

Cursor makeCursor(const std::uint16_t (&data)[16], const std::uint16_t (&mask)[16], Point hot) {
    Cursor c{};
    for (int i = 0; i < 16; ++i) {
        c.data[i] = data[i];
        c.mask[i] = mask[i];
    }
    c.hotSpot = hot;
    return c;
}

// Each system cursor keeps a master pointer so GetCursor can hand out a real handle.
struct SystemCursor {
    Cursor cursor;
    Cursor* master;
};

SystemCursor* systemCursor(std::int16_t id) {
    static const std::uint16_t ibeamData[16] = {0x0C60, 0x0280, 0x0100, 0x0100, 0x0100, 0x0100,
                                                0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100,
                                                0x0100, 0x0100, 0x0280, 0x0C60};
    static const std::uint16_t crossData[16] = {0x0400, 0x0400, 0x0400, 0x0400, 0x0400, 0xFFE0,
                                                0x0400, 0x0400, 0x0400, 0x0400, 0x0400, 0x0000,
                                                0x0000, 0x0000, 0x0000, 0x0000};
    static const std::uint16_t plusData[16] = {0x0000, 0x0E00, 0x0A00, 0x0A00, 0x0A00, 0xFBE0,
                                               0x8020, 0xFBE0, 0x0A00, 0x0A00, 0x0A00, 0x0E00,
                                               0x0000, 0x0000, 0x0000, 0x0000};
    static const std::uint16_t plusMask[16] = {0x0000, 0x0E00, 0x0E00, 0x0E00, 0x0E00, 0xFFE0,
                                               0xFFE0, 0xFFE0, 0x0E00, 0x0E00, 0x0E00, 0x0E00,
                                               0x0000, 0x0000, 0x0000, 0x0000};
    static const std::uint16_t watchData[16] = {0x3F00, 0x3F00, 0x3F00, 0x3F00, 0x4080, 0x8440,
                                                0x8440, 0x8460, 0x9C60, 0x8040, 0x8040, 0x4080,
                                                0x3F00, 0x3F00, 0x3F00, 0x3F00};
    static const std::uint16_t watchMask[16] = {0x3F00, 0x3F00, 0x3F00, 0x3F00, 0x7F80, 0xFFC0,
                                                0xFFC0, 0xFFE0, 0xFFE0, 0xFFC0, 0xFFC0, 0x7F80,
                                                0x3F00, 0x3F00, 0x3F00, 0x3F00};
    static SystemCursor cursors[4] = {
        {makeCursor(ibeamData, ibeamData, Point{8, 7}), nullptr},
        {makeCursor(crossData, crossData, Point{5, 5}), nullptr},
        {makeCursor(plusData, plusMask, Point{6, 6}), nullptr},
        {makeCursor(watchData, watchMask, Point{8, 8}), nullptr},
    };
    if (id < iBeamCursor || id > watchCursor)
        return nullptr;
    SystemCursor& c = cursors[id - 1];
    c.master = &c.cursor;
    return &c;
}

} // namespace

void TBSetResourceFetcher(TBResourceFetcher fetch) {
    state().fetch = fetch;
}

void SetCursor(const Cursor* cursor) {
    state().current = *cursor;
}
void SetArrowCursor() {
    state().current = qd.arrow;
}

namespace {
// A 'CURS' resource is 68 big-endian bytes: data rows, mask rows, hot spot (v, h).
CursHandle loadResourceCursor(std::int16_t id) {
    auto it = state().loaded.find(id);
    if (it != state().loaded.end())
        return &it->second.second;
    Handle h = state().fetch ? state().fetch(FOUR_CHAR("CURS"), id) : nullptr;
    if (!h || GetHandleSize(h) < 68)
        return nullptr;
    const auto* b = reinterpret_cast<const std::uint8_t*>(*h);
    auto word = [b](int i) { return std::uint16_t((b[2 * i] << 8) | b[2 * i + 1]); };
    Cursor c{};
    for (int i = 0; i < 16; ++i) {
        c.data[i] = word(i);
        c.mask[i] = word(16 + i);
    }
    c.hotSpot = Point{std::int16_t(word(32)), std::int16_t(word(33))};
    auto& slot = state().loaded[id];
    slot.first = c;
    slot.second = &slot.first;
    return &slot.second;
}
} // namespace

CursHandle GetCursor(std::int16_t id) {
    if (CursHandle h = loadResourceCursor(id))
        return h;
    SystemCursor* c = systemCursor(id);
    return c ? &c->master : nullptr;
}

const Cursor* TBCurrentCursor() {
    return &state().current;
}
