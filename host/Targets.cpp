#include "Targets.h"

#include "HostError.h"
#include "ImageIO.h"

#include <filesystem>
#include <set>
#include <system_error>

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

bool namesFolder(const std::string& output) {
    std::error_code error;
    return !output.empty() && (output.back() == '/' || std::filesystem::is_directory(output, error));
}

} // namespace

std::string OutputOf(const Options& options) {
    if (options.inPlace && !options.output.empty())
        BadInput("give either -o OUT or --in-place, not both");
    if (!options.inPlace && options.output.empty())
        BadInput("no output file given (use -o OUT, or --in-place)");
    if (options.inPlace && options.input == "-")
        BadInput("standard input cannot be written in place (use -o OUT)");
    const std::string target = options.inPlace ? options.input : options.output;
    if (!options.inPlace && sameFile(options.input, target))
        BadInput("the output would overwrite the input (use --in-place for that)", target);
    OutputFormat(target, options.format);
    return target;
}

std::vector<Options> BatchRuns(const Options& options) {
    const bool intoFolder = !options.inPlace && namesFolder(options.output);
    if (options.arguments.size() > 1 && !options.inPlace && !options.output.empty() && !intoFolder)
        BadInput("several images need a folder for the results (-o FOLDER/)", options.output);
    std::vector<Options> runs;
    std::set<std::string> targets;
    for (const std::string& input : options.arguments) {
        Options run = options;
        run.input = input;
        if (intoFolder)
            run.output =
                (std::filesystem::path(options.output) / std::filesystem::path(input).filename()).string();
        run.output = OutputOf(run);
        run.label = std::filesystem::path(input).filename().string();
        if (options.arguments.size() > 1)
            run.label = std::to_string(runs.size() + 1) + "/" + std::to_string(options.arguments.size()) +
                        " " + run.label;
        if (!targets.insert(run.output).second)
            BadInput("two images would write the same result", run.output);
        runs.push_back(run);
    }
    return runs;
}

void MakeResultFolder(const Options& options) {
    std::error_code error;
    if (!options.inPlace && namesFolder(options.output) &&
        !std::filesystem::create_directories(options.output, error) && error)
        BadInput("cannot make the folder (" + error.message() + ")", options.output);
}

PlannedFiles PlannedFilesOf(const std::vector<Options>& runs) {
    PlannedFiles files;
    for (const Options& run : runs) {
        if (!run.inPlace)
            files.reads.push_back(run.input);
        files.writes.push_back(run.output);
    }
    const Options& options = runs.front();
    for (const auto& channel : options.channels)
        files.reads.push_back(channel.second);
    files.reads.insert(files.reads.end(), {options.mask, options.params, options.script});
    files.writes.insert(files.writes.end(), {options.saveParams, options.record});
    return files;
}
