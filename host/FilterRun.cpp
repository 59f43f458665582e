#include "FilterRun.h"

#include "HostError.h"
#include "Interrupt.h"
#include "Memory.h"

#include <cstring>

namespace {

constexpr std::size_t kTextureChannelOffset = 66728;

const char* meaningOf(std::int16_t code) {
    switch (code) {
    case filterStop:
        return "the filter stopped";
    case filterMemFull:
        return "out of memory";
    case filterBadSelector:
        return "selector not recognised or no usable parameter block";
    case filterBadMode:
        return "image mode is not RGB";
    case filterServiceMissing:
        return "a host service is missing";
    default:
        return "unknown error";
    }
}

// A stop is the user's when Ctrl-C asked for it, or when the dialog answers continue with it
// (the user pressed Cancel); elsewhere it means the module refused and has said why.
[[noreturn]] void failed(const char* stage, std::int16_t code, bool fromDialog, const std::string& file) {
    if (code == filterStop && (InterruptRequested() || fromDialog))
        throw HostError(ExitStatus::cancelled, "cancelled", file);
    throw HostError(ExitStatus::filterFailed,
                    std::string("filter failed at ") + stage + " with code " + std::to_string(code) + " (" +
                        meaningOf(code) + ")",
                    file);
}

void call(PluginHost& plugin, std::int16_t selector, const char* stage, FilterRecord& record,
          const std::string& file, bool withDialog = false) {
    if (std::int16_t code = plugin.Call(selector, &record))
        failed(stage, code, withDialog && selector == selectorContinue, file);
}

void serveTiles(PluginHost& plugin, TileServer& server, bool withDialog, const std::string& file) {
    while (server.Pending()) {
        server.Deliver();
        call(plugin, selectorContinue, "continue", server.Record(), file, withDialog);
        server.TakeBack();
    }
}

// The module may create or replace the handle during any call: the host keeps whatever it left.
class HandleKeeper {
  public:
    HandleKeeper(ParameterHandle& parameters, FilterRecord& record)
        : parameters_(parameters), record_(record) {
        record_.parameterHandle = parameters_.Get();
    }
    ~HandleKeeper() { parameters_.Get() = record_.parameterHandle; }
    HandleKeeper(const HandleKeeper&) = delete;
    HandleKeeper& operator=(const HandleKeeper&) = delete;

  private:
    ParameterHandle& parameters_;
    FilterRecord& record_;
};

} // namespace

ParameterHandle::ParameterHandle(const std::string& bytes) : handle_(NewHandle(Size(bytes.size()))) {
    if (!handle_)
        throw std::bad_alloc();
    std::memcpy(*handle_, bytes.data(), bytes.size());
}

ParameterHandle::~ParameterHandle() {
    DisposeHandle(handle_);
}

std::string ParameterHandle::Bytes() const {
    if (!handle_ || !*handle_)
        return {};
    return std::string(*handle_, std::size_t(GetHandleSize(handle_)));
}

void CheckBlock(const PluginHost& plugin, const std::string& block, const std::string& file) {
    if (const std::string why = plugin.CheckParameters(block); !why.empty())
        BadInput("bad parameter block (" + why + ")", file);
}

void CheckTextureChannel(const std::string& block, const Document& document, const std::string& file,
                         const std::string& howToAdd) {
    if (block.size() < kTextureChannelOffset + 2)
        return;
    const unsigned channel = unsigned(std::uint8_t(block[kTextureChannelOffset])) << 8 |
                             unsigned(std::uint8_t(block[kTextureChannelOffset + 1]));
    if (channel > document.channels.size())
        BadInput("the settings use texture channel " + std::to_string(channel) + ", the image has " +
                     std::to_string(document.channels.size()) + " channels (" + howToAdd + ")",
                 file);
}

void RunFilter(PluginHost& plugin, TileServer& server, ParameterHandle& parameters, bool withDialog,
               const std::string& file, const DialogStart& opening) {
    FilterRecord& record = server.Record();
    HandleKeeper keeper(parameters, record);
    if (withDialog)
        call(plugin, selectorParameters, "parameters", record, file);
    call(plugin, selectorPrepare, "prepare", record, file);
    call(plugin, selectorStart, "start", record, file);
    try {
        if (withDialog && !opening.settings.empty())
            if (const int code = plugin.OpenDialogWith(opening.settings, opening.style))
                throw HostError(
                    ExitStatus::filterFailed,
                    "the dialog refused the settings to open with (code " + std::to_string(code) + ")", file);
        serveTiles(plugin, server, withDialog, file);
    } catch (...) {
        plugin.Call(selectorFinish, &record);
        throw;
    }
    call(plugin, selectorFinish, "finish", record, file);
}
