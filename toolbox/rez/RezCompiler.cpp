// Each resource is a header line `TYPE ID ["name"]`, body lines, and `end`. The body's shape depends
// on the type; the builders below turn it into the classic big-endian layout.
#include "RezCompiler.h"

#include "RezLexer.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <set>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Body = std::vector<RezLine>;

void put16(Bytes& b, long v) {
    b.push_back(std::uint8_t(std::uint16_t(v) >> 8));
    b.push_back(std::uint8_t(v));
}
void put32(Bytes& b, long v) {
    put16(b, long(std::uint32_t(v) >> 16));
    put16(b, long(std::uint32_t(v) & 0xFFFF));
}
void putPString(Bytes& b, const std::string& s, int line) {
    if (s.size() > 255)
        throw RezError(line, "string longer than 255 bytes");
    b.push_back(std::uint8_t(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}
void padEven(Bytes& b) {
    if (b.size() & 1)
        b.push_back(0);
}

// The body of DLOG, ALRT and CNTL: one `key values...` line per field, each at most once.
class Fields {
  public:
    Fields(const Body& body, std::set<std::string> allowed) {
        for (const RezLine& line : body) {
            std::string key = line.tokens[0].text;
            if (!allowed.count(key))
                throw RezError(line.number, "unknown field '" + key + "'");
            if (!lines_.emplace(key, &line).second)
                throw RezError(line.number, "field '" + key + "' given twice");
        }
    }
    long number(const std::string& key, long fallback, std::size_t index = 1) const {
        auto it = lines_.find(key);
        return it == lines_.end() ? fallback : RezNumber(*it->second, index);
    }
    bool flag(const std::string& key, bool fallback) const {
        auto it = lines_.find(key);
        return it == lines_.end() ? fallback : RezFlag(*it->second, 1);
    }
    std::string string(const std::string& key) const {
        auto it = lines_.find(key);
        return it == lines_.end() ? std::string() : RezString(*it->second, 1);
    }
    void rect(Bytes& b, int headerLine) const {
        auto it = lines_.find("bounds");
        if (it == lines_.end())
            throw RezError(headerLine, "missing bounds");
        for (std::size_t i = 1; i <= 4; ++i)
            put16(b, RezNumber(*it->second, i));
    }
    int line(const std::string& key, int fallback) const {
        auto it = lines_.find(key);
        return it == lines_.end() ? fallback : it->second->number;
    }
    // The optional position word: a name or a number.
    long position() const {
        auto it = lines_.find("position");
        if (it == lines_.end())
            return 0;
        static const std::map<std::string, long> names = {
            {"none", 0}, {"centre", 0x280A}, {"center", 0x280A}, {"alert", 0x300A}};
        auto named = names.find(RezWord(*it->second, 1));
        return named != names.end() ? named->second : RezNumber(*it->second, 1);
    }

  private:
    std::map<std::string, const RezLine*> lines_;
};

Bytes buildDLOG(const Body& body, int header, std::int16_t id) {
    Fields f(body, {"bounds", "proc", "visible", "goaway", "refcon", "items", "title", "position"});
    Bytes b;
    f.rect(b, header);
    put16(b, f.number("proc", 0));
    put16(b, f.flag("visible", true) ? 0x0100 : 0);
    put16(b, f.flag("goaway", false) ? 0x0100 : 0);
    put32(b, f.number("refcon", 0));
    put16(b, f.number("items", id));
    putPString(b, f.string("title"), f.line("title", header));
    padEven(b);
    put16(b, f.position());
    return b;
}

Bytes buildALRT(const Body& body, int header, std::int16_t id) {
    Fields f(body, {"bounds", "items", "stages", "position"});
    Bytes b;
    f.rect(b, header);
    put16(b, f.number("items", id));
    put16(b, f.number("stages", 0x5555));
    put16(b, f.position());
    return b;
}

Bytes buildCNTL(const Body& body, int header, std::int16_t) {
    Fields f(body, {"bounds", "value", "visible", "max", "min", "proc", "refcon", "title"});
    Bytes b;
    f.rect(b, header);
    put16(b, f.number("value", 0));
    put16(b, f.flag("visible", true) ? 0x0100 : 0);
    put16(b, f.number("max", 1));
    put16(b, f.number("min", 0));
    put16(b, f.number("proc", 0));
    put32(b, f.number("refcon", 0));
    putPString(b, f.string("title"), f.line("title", header));
    return b;
}

// DITL lines: `KIND top left bottom right [argument] [disabled]`.
Bytes buildDITL(const Body& body, int header, std::int16_t) {
    struct Kind {
        std::uint8_t type;
        char argument; // 0 none, 's' string, 'n' resource id
    };
    static const std::map<std::string, Kind> kinds = {
        {"user", {0, 0}},    {"button", {4, 's'}},  {"checkbox", {5, 's'}},
        {"radio", {6, 's'}}, {"control", {7, 'n'}}, {"static", {8, 's'}},
        {"edit", {16, 's'}}, {"icon", {32, 'n'}},   {"picture", {64, 'n'}},
    };
    if (body.empty())
        throw RezError(header, "an item list needs at least one item");
    Bytes b;
    put16(b, long(body.size()) - 1);
    for (const RezLine& line : body) {
        auto kind = kinds.find(line.tokens[0].text);
        if (kind == kinds.end())
            throw RezError(line.number, "unknown item kind '" + line.tokens[0].text + "'");
        put32(b, 0);
        for (std::size_t i = 1; i <= 4; ++i)
            put16(b, RezNumber(line, i));
        std::size_t next = 5;
        Bytes data;
        if (kind->second.argument == 's') {
            std::string text = RezString(line, next++);
            if (text.size() > 255)
                throw RezError(line.number, "item text longer than 255 bytes");
            data.assign(text.begin(), text.end());
        } else if (kind->second.argument == 'n') {
            put16(data, RezNumber(line, next++));
        }
        bool disabled = next < line.tokens.size() && line.tokens[next].text == "disabled";
        if (disabled)
            ++next;
        if (next < line.tokens.size())
            throw RezError(line.number, "unexpected '" + line.tokens[next].text + "'");
        b.push_back(std::uint8_t(kind->second.type | (disabled ? 0x80 : 0)));
        b.push_back(std::uint8_t(data.size()));
        b.insert(b.end(), data.begin(), data.end());
        padEven(b);
    }
    return b;
}

// MENU: `title "T"`, then `item "text" [disabled] [checked] [key C]` lines.
Bytes buildMENU(const Body& body, int header, std::int16_t id) {
    Bytes items;
    std::string title;
    std::uint32_t enable = 1;
    int count = 0;
    for (const RezLine& line : body) {
        std::string key = line.tokens[0].text;
        if (key == "title") {
            title = RezString(line, 1);
            continue;
        }
        if (key != "item")
            throw RezError(line.number, "expected title or item, found '" + key + "'");
        ++count;
        putPString(items, RezString(line, 1), line.number);
        std::uint8_t cmd = 0, mark = 0;
        bool enabled = true;
        for (std::size_t i = 2; i < line.tokens.size(); ++i) {
            std::string w = RezWord(line, i);
            if (w == "disabled")
                enabled = false;
            else if (w == "checked")
                mark = 0x12;
            else if (w == "key" && RezWord(line, i + 1).size() == 1)
                cmd = std::uint8_t(line.tokens[++i].text[0]);
            else
                throw RezError(line.number, "unexpected '" + w + "'");
        }
        if (enabled && count < 32)
            enable |= 1u << count;
        items.push_back(0); // icon
        items.push_back(cmd);
        items.push_back(mark);
        items.push_back(0); // style
    }
    if (count > 31)
        enable = enable | 0xFFFFFFFEu; // items past 31 are always enabled; keep the first 31 as given
    Bytes b;
    put16(b, id);
    put16(b, 0); // width and height are computed when the menu is shown
    put16(b, 0);
    put16(b, 0); // procID: the standard text menu
    put16(b, 0);
    put32(b, long(enable));
    putPString(b, title, header);
    b.insert(b.end(), items.begin(), items.end());
    b.push_back(0);
    return b;
}

Bytes buildSTRList(const Body& body, int, std::int16_t) {
    Bytes b;
    put16(b, long(body.size()));
    for (const RezLine& line : body) {
        if (line.tokens.size() != 1)
            throw RezError(line.number, "one quoted string per line");
        putPString(b, RezString(line, 0), line.number);
    }
    return b;
}

Bytes buildSTR(const Body& body, int header, std::int16_t) {
    if (body.size() != 1 || body[0].tokens.size() != 1)
        throw RezError(header, "a 'STR ' resource holds one quoted string");
    Bytes b;
    putPString(b, RezString(body[0], 0), body[0].number);
    return b;
}

// Pixel art: `pixels` then one unquoted row per line, all of one width.
std::vector<std::string> pixelRows(const Body& body, std::size_t& index) {
    std::vector<std::string> rows;
    for (++index; index < body.size(); ++index) {
        const RezLine& line = body[index];
        if (line.tokens.size() != 1 || line.tokens[0].quoted)
            throw RezError(line.number, "expected one row of pixels");
        if (!rows.empty() && line.tokens[0].text.size() != rows[0].size())
            throw RezError(line.number, "pixel rows differ in width");
        rows.push_back(line.tokens[0].text);
    }
    return rows;
}

long paletteColour(const RezLine& line) {
    std::string value = RezWord(line, 2);
    if (value == "transparent")
        return -1;
    char* end = nullptr;
    long rgb = std::strtol(value.c_str(), &end, 16);
    if (value.size() != 6 || *end)
        throw RezError(line.number, "a palette colour is RRGGBB in hex or transparent");
    return rgb;
}

// cicn: `palette C RRGGBB|transparent` lines, then the pixel rows. Compiled as height, width,
// 32-bit 0x00RRGGBB pixels, then one mask byte per pixel.
Bytes buildCICN(const Body& body, int header, std::int16_t) {
    std::map<char, long> palette; // -1 = transparent
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const RezLine& line = body[i];
        std::string key = line.tokens[0].text;
        if (key == "pixels") {
            rows = pixelRows(body, i);
        } else if (key == "palette" && RezWord(line, 1).size() == 1) {
            palette[line.tokens[1].text[0]] = paletteColour(line);
        } else {
            throw RezError(line.number, "expected palette or pixels");
        }
    }
    if (rows.empty())
        throw RezError(header, "a colour icon needs pixels");
    Bytes b, mask;
    put16(b, long(rows.size()));
    put16(b, long(rows[0].size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (char c : rows[r]) {
            auto it = palette.find(c);
            if (it == palette.end())
                throw RezError(header, std::string("pixel '") + c + "' is not in the palette");
            put32(b, it->second < 0 ? 0 : it->second);
            mask.push_back(it->second < 0 ? 0 : 1);
        }
    b.insert(b.end(), mask.begin(), mask.end());
    return b;
}

// CURS: `hotspot V H` and 16 rows of 16: X black, o white, . transparent, ~ inverts the screen.
Bytes buildCURS(const Body& body, int header, std::int16_t) {
    long v = 0, h = 0;
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const RezLine& line = body[i];
        if (line.tokens[0].text == "pixels")
            rows = pixelRows(body, i);
        else if (line.tokens[0].text == "hotspot")
            v = RezNumber(line, 1), h = RezNumber(line, 2);
        else
            throw RezError(line.number, "expected hotspot or pixels");
    }
    if (rows.size() != 16 || rows[0].size() != 16)
        throw RezError(header, "a cursor is 16 rows of 16 pixels");
    std::uint16_t data[16] = {}, mask[16] = {};
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            std::uint16_t bit = std::uint16_t(0x8000u >> c);
            switch (rows[std::size_t(r)][std::size_t(c)]) {
            case 'X':
                data[r] |= bit, mask[r] |= bit;
                break;
            case 'o':
                mask[r] |= bit;
                break;
            case '~':
                data[r] |= bit;
                break;
            case '.':
                break;
            default:
                throw RezError(header, "cursor pixels are X, o, . or ~");
            }
        }
    Bytes b;
    for (std::uint16_t d : data)
        put16(b, d);
    for (std::uint16_t m : mask)
        put16(b, m);
    put16(b, v);
    put16(b, h);
    return b;
}

using Builder = std::function<Bytes(const Body&, int, std::int16_t)>;

const std::map<std::string, Builder>& builders() {
    static const std::map<std::string, Builder> table = {
        {"DLOG", buildDLOG}, {"ALRT", buildALRT}, {"DITL", buildDITL},
        {"CNTL", buildCNTL}, {"MENU", buildMENU}, {"STR#", buildSTRList},
        {"STR ", buildSTR},  {"cicn", buildCICN}, {"CURS", buildCURS},
    };
    return table;
}

std::uint32_t typeCode(const std::string& name) {
    std::uint32_t code = 0;
    for (char c : name)
        code = (code << 8) | std::uint8_t(c);
    return code;
}

} // namespace

bool CompileResources(const std::string& text, const std::string& fileName,
                      std::vector<CompiledResource>* out, std::string* error) {
    try {
        std::vector<RezLine> lines = RezSplitLines(text);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const RezLine& header = lines[i];
            std::string type = RezWord(header, 0);
            type.resize(4, ' ');
            auto builder = builders().find(type);
            if (builder == builders().end())
                throw RezError(header.number, "unknown resource type '" + header.tokens[0].text + "'");
            long id = RezNumber(header, 1);
            if (id < -32768 || id > 32767)
                throw RezError(header.number, "resource id out of range");
            std::string name = header.tokens.size() > 2 ? RezString(header, 2) : std::string();
            Body body;
            for (++i; i < lines.size() && lines[i].tokens[0].text != "end"; ++i)
                body.push_back(lines[i]);
            if (i == lines.size())
                throw RezError(header.number, "missing 'end'");
            for (const CompiledResource& r : *out)
                if (r.type == typeCode(type) && r.id == id)
                    throw RezError(header.number, "duplicate resource " + type + " " + std::to_string(id));
            out->push_back({typeCode(type), std::int16_t(id), name,
                            builder->second(body, header.number, std::int16_t(id))});
        }
        return true;
    } catch (const RezError& e) {
        if (error)
            *error = fileName + ":" + std::to_string(e.line) + ": " + e.what();
        return false;
    }
}
