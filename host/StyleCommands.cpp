#include "StyleCommands.h"

#include "AtomicOutput.h"
#include "FileClashes.h"
#include "FileHandle.h"
#include "HostError.h"
#include "PluginHost.h"
#include "StyleLibrary.h"
#include "StyleSummary.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// The words after the action, exactly `count` of them.
const std::vector<std::string>& operands(const Options& options, std::size_t count, const char* form) {
    if (options.arguments.size() != count + 1)
        BadInput(std::string("usage: relight styles ") + form + " (see relight styles --help)");
    return options.arguments;
}

void print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
}

void list(const StyleLibrary& library, const Options& options) {
    operands(options, 0, "list");
    for (const std::string& name : library.Names())
        print(name + "\n");
}

void show(const PluginStyles& styles, const StyleLibrary& library, const Options& options) {
    const std::string name = library.NameOf(operands(options, 1, "show NAME [--json]")[1]);
    const std::string bytes = library.Read(name);
    print(options.json ? StyleJSON(styles, name, bytes, name) : DescribeStyle(styles, name, bytes, name));
}

// The name an import stores under: --name, else the name the JSON gives, else the file's name
// without its extension.
std::string importName(const std::string& file, const std::string& named, const Options& options) {
    if (!options.name.empty())
        return options.name;
    return named.empty() ? std::filesystem::path(file).stem().string() : named;
}

void import(const PluginStyles& styles, const StyleLibrary& library, const Options& options) {
    const std::string file = operands(options, 1, "import FILE [--name NAME] [--force]")[1];
    const ReadStyle read = ReadStyleFile(styles, ReadWholeFile(file, kMaxStyleBytes, "style file"), file);
    const std::string name = library.NameOf(importName(file, read.name, options));
    library.Write(name, styles.Bytes(*read.style), options.force);
    print("imported '" + name + "'\n");
}

// JSON when asked for, when FILE ends in .json, or on standard output; else a style file's bytes.
void exportStyle(const PluginStyles& styles, const StyleLibrary& library, const Options& options) {
    const std::vector<std::string>& words = operands(options, 2, "export NAME FILE [--json] [--force]");
    const std::string name = library.NameOf(words[1]);
    const std::string& file = words[2];
    const std::string bytes = library.Read(name);
    const bool json = options.json || file == "-" || std::filesystem::path(file).extension() == ".json";
    std::error_code error;
    if (!options.force && file != "-" && std::filesystem::exists(file, error))
        BadInput("the file exists already (--force replaces it)", file);
    CheckPlannedFiles({{library.PathOf(name)}, {file}}, options.force);
    WriteFileAtomically(file, json ? StyleJSON(styles, name, bytes, name) : bytes);
}

void erase(const StyleLibrary& library, const Options& options) {
    const std::string name = library.NameOf(operands(options, 1, "delete NAME [--force]")[1]);
    if (!options.force && library.Contains(name) && library.IsDefault(name))
        BadInput("'" + name +
                 "' is the default style, which the dialog keeps; --force deletes it all the same");
    library.Erase(name);
    print("deleted '" + name + "'\n");
}

} // namespace

void RunStylesCommand(const Options& options) {
    if (options.arguments.empty())
        BadInput("no action given: list, show, import, export or delete (see relight styles --help)");
    PluginHost plugin(PluginHost::Locate(options.plugin));
    const StyleLibrary library(plugin.Styles());
    const std::string& action = options.arguments[0];
    if (action == "list")
        list(library, options);
    else if (action == "show")
        show(plugin.Styles(), library, options);
    else if (action == "import")
        import(plugin.Styles(), library, options);
    else if (action == "export")
        exportStyle(plugin.Styles(), library, options);
    else if (action == "delete")
        erase(library, options);
    else
        BadInput("unknown action '" + action +
                 "': list, show, import, export or delete (see relight styles --help)");
}
