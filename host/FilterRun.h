// One run of the module over a document: the selector sequence and what its results mean.
#pragma once

#include "Document.h"
#include "PluginHost.h"
#include "TileServer.h"
#include "Types.h"

#include <string>

// The parameter block the host keeps for the module, in a Toolbox handle the module can resize.
class ParameterHandle {
  public:
    ParameterHandle() = default; // none yet: a dialog run makes one
    explicit ParameterHandle(const std::string& bytes);
    ~ParameterHandle();
    ParameterHandle(const ParameterHandle&) = delete;
    ParameterHandle& operator=(const ParameterHandle&) = delete;

    Handle& Get() { return handle_; }
    // The block's bytes; empty when there is none.
    std::string Bytes() const;

  private:
    Handle handle_ = nullptr;
};

// Refuses a block the module does not accept; `file` names the block in errors.
void CheckBlock(const PluginHost& plugin, const std::string& block, const std::string& file);

// Refuses a block whose texture channel the document lacks; `file` names the block in errors,
// `howToAdd` says how the host adds channels.
void CheckTextureChannel(const std::string& block, const Document& document, const std::string& file,
                         const std::string& howToAdd);

// What a dialog opens with: settings as a style file's bytes, and the style its popup shows. No
// bytes: the module's own choice (the default style, in a new process).
struct DialogStart {
    std::string settings;
    std::string style;
};

// Runs prepare, start, continue while a rectangle is set, and finish (with the dialog first when
// `withDialog`, opening as `opening` says). Throws HostError: cancelled after Ctrl-C or Cancel in
// the dialog, filter failure for any other non-zero result; `file` names the image in errors.
void RunFilter(PluginHost& plugin, TileServer& server, ParameterHandle& parameters, bool withDialog,
               const std::string& file, const DialogStart& opening = {});
