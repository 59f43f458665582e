#include "CommandLine.h"

#include "HostError.h"

#include <cerrno>
#include <cstdlib>
#include <functional>

namespace {

constexpr unsigned kApply = 1, kEdit = 2, kAbout = 4, kStyles = 8;

struct OptionRule {
    const char* name;
    unsigned commands; // where the option is allowed
    bool takesValue;
    std::function<void(Options&, const std::string&)> store;
};

[[noreturn]] void usage(const std::string& cause, const std::string& command) {
    BadInput(cause + " (see relight " + (command.empty() ? "" : command + " ") + "--help)");
}

long number(const std::string& text, long low, long high, const std::string& what) {
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || errno != 0 || value < low || value > high)
        BadInput(what + " must be a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high) + ", not '" + text + "'");
    return value;
}

} // namespace

int ParseScale(const std::string& text, const std::string& what) {
    if (text != "1" && text != "2")
        BadInput(what + " must be 1 or 2, not '" + text + "'");
    return text[0] - '0';
}

namespace {

UserArea parseArea(const std::string& text) {
    long parts[4];
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (i == 3))
            BadInput("--area wants X,Y,W,H, not '" + text + "'");
        parts[i] = number(text.substr(start, comma - start), 0, 32767, "each value of --area");
        start = comma + 1;
    }
    return {parts[0], parts[1], parts[2], parts[3]};
}

std::pair<std::string, std::string> parseChannel(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        BadInput("--channel wants NAME=FILE, not '" + text + "'");
    return {text.substr(0, equals), text.substr(equals + 1)};
}

const std::vector<OptionRule>& optionTable() {
    static const std::vector<OptionRule> table = {
        {"-o", kApply | kEdit, true, [](Options& o, const std::string& v) { o.output = v; }},
        {"--params", kApply, true, [](Options& o, const std::string& v) { o.params = v; }},
        {"--last", kApply, false, [](Options& o, const std::string&) { o.params.clear(); }},
        {"--style", kApply | kEdit, true, [](Options& o, const std::string& v) { o.style = v; }},
        {"--defaults", kEdit, false, [](Options& o, const std::string&) { o.defaults = true; }},
        {"--save-style", kApply | kEdit, true, [](Options& o, const std::string& v) { o.saveStyle = v; }},
        {"--name", kStyles, true, [](Options& o, const std::string& v) { o.name = v; }},
        {"--json", kStyles, false, [](Options& o, const std::string&) { o.json = true; }},
        {"--force", kApply | kEdit | kStyles, false, [](Options& o, const std::string&) { o.force = true; }},
        {"--channel", kApply | kEdit, true,
         [](Options& o, const std::string& v) { o.channels.push_back(parseChannel(v)); }},
        {"--area", kApply | kEdit, true, [](Options& o, const std::string& v) { o.area = parseArea(v); }},
        {"--mask", kApply | kEdit, true, [](Options& o, const std::string& v) { o.mask = v; }},
        {"--save-params", kApply | kEdit, true, [](Options& o, const std::string& v) { o.saveParams = v; }},
        {"--plugin", kApply | kEdit | kAbout | kStyles, true,
         [](Options& o, const std::string& v) { o.plugin = v; }},
        {"--quality", kApply | kEdit, true,
         [](Options& o, const std::string& v) { o.quality = int(number(v, 1, 100, "--quality")); }},
        {"--jobs", kApply | kEdit, true,
         [](Options& o, const std::string& v) { o.jobs = int(number(v, 1, 256, "--jobs")); }},
        {"--max-pixels", kApply | kEdit, true,
         [](Options& o, const std::string& v) {
             o.maxPixels = number(v, 1, long(kMaxImageSide) * kMaxImageSide, "--max-pixels");
         }},
        {"--format", kApply | kEdit, true, [](Options& o, const std::string& v) { o.format = v; }},
        {"--quiet", kApply | kEdit, false, [](Options& o, const std::string&) { o.quiet = true; }},
        {"--keep-going", kApply, false, [](Options& o, const std::string&) { o.keepGoing = true; }},
        {"--in-place", kApply | kEdit, false, [](Options& o, const std::string&) { o.inPlace = true; }},
        {"--headless", kEdit, false, [](Options& o, const std::string&) { o.headless = true; }},
        {"--script", kEdit, true, [](Options& o, const std::string& v) { o.script = v; }},
        {"--record", kEdit, true, [](Options& o, const std::string& v) { o.record = v; }},
        {"--scale", kEdit, true,
         [](Options& o, const std::string& v) { o.scale = ParseScale(v, "--scale"); }},
        {"--help", kApply | kEdit | kAbout | kStyles, false,
         [](Options& o, const std::string&) { o.help = true; }},
    };
    return table;
}

unsigned commandBit(const std::string& command) {
    if (command == "apply")
        return kApply;
    if (command == "edit")
        return kEdit;
    if (command == "about")
        return kAbout;
    if (command == "styles")
        return kStyles;
    usage("unknown command '" + command + "'", "");
}

const OptionRule* findOption(const std::string& name) {
    for (const OptionRule& rule : optionTable())
        if (name == rule.name)
            return &rule;
    return nullptr;
}

// One option at args[i] (as NAME VALUE or NAME=VALUE); returns the index of its last argument.
std::size_t parseOption(const std::vector<std::string>& args, std::size_t i, unsigned bit, Options& options) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionRule* rule = findOption(name);
    if (!rule || (rule->commands & bit) == 0)
        usage("unknown option " + name + " for relight " + options.command, options.command);
    if (!rule->takesValue) {
        if (equals != std::string::npos)
            usage("option " + name + " takes no value", options.command);
        rule->store(options, {});
        return i;
    }
    if (equals != std::string::npos) {
        rule->store(options, arg.substr(equals + 1));
        return i;
    }
    if (i + 1 >= args.size())
        usage("option " + name + " needs a value", options.command);
    rule->store(options, args[i + 1]);
    return i + 1;
}

void checkComplete(Options& options) {
    if (options.help || options.command == "about" || options.command == "styles")
        return;
    if (options.arguments.empty())
        usage("no input image given", options.command);
    if (options.command == "edit" && options.arguments.size() > 1)
        usage("unexpected argument '" + options.arguments[1] + "'", options.command);
    if (!options.style.empty() && !options.params.empty())
        usage("give either --style NAME or --params FILE, not both", options.command);
    if (!options.style.empty() && options.defaults)
        usage("give either --style NAME or --defaults, not both", options.command);
    if (!options.saveStyle.empty() && !options.params.empty())
        usage("--save-style keeps settings a style holds, which a parameter block does not", options.command);
    options.input = options.arguments[0];
    if (!options.script.empty() && !options.headless)
        usage("--script replays on the headless screen: add --headless", options.command);
    if (!options.record.empty() && options.headless)
        usage("--record records a window's input: leave out --headless", options.command);
}

} // namespace

Options ParseCommandLine(const std::vector<std::string>& args) {
    Options options;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        options.command = "help";
        return options;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        options.command = "version";
        return options;
    }
    options.command = args[0];
    const unsigned bit = commandBit(options.command);
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '-') {
            i = parseOption(args, i, bit, options);
        } else if (bit != kAbout) {
            options.arguments.push_back(args[i]);
        } else {
            usage("unexpected argument '" + args[i] + "'", options.command);
        }
    }
    checkComplete(options);
    return options;
}
