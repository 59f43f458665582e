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
    const std::string name = library.NameOf(operands(options, 1, "show NAME")[1]);
    print(DescribeStyle(styles, name, library.Read(name), name));
}

void import(const PluginStyles& styles, const StyleLibrary& library, const Options& options) {
    const std::string file = operands(options, 1, "import FILE [--name NAME] [--force]")[1];
    const std::string bytes = ReadWholeFile(file, kMaxStyleBytes, "style file");
    CheckStyle(styles, bytes, file);
    const std::string name =
        library.NameOf(options.name.empty() ? std::filesystem::path(file).filename().string() : options.name);
    library.Write(name, bytes, options.force);
    print("imported '" + name + "'\n");
}

void exportStyle(const StyleLibrary& library, const Options& options) {
    const std::vector<std::string>& words = operands(options, 2, "export NAME FILE [--force]");
    const std::string name = library.NameOf(words[1]);
    const std::string bytes = library.Read(name);
    std::error_code error;
    if (!options.force && std::filesystem::exists(words[2], error))
        BadInput("the file exists already (--force replaces it)", words[2]);
    CheckPlannedFiles({{library.PathOf(name)}, {words[2]}}, options.force);
    WriteFileAtomically(words[2], bytes);
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
        exportStyle(library, options);
    else if (action == "delete")
        erase(library, options);
    else
        BadInput("unknown action '" + action +
                 "': list, show, import, export or delete (see relight styles --help)");
}
