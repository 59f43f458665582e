// What the run sequence needs from the platform side: the parameter dialog (construction at start,
// the preview geometry, the modal run inside a continue call, teardown at finish) and the two
// alerts. The dialog library implements it; the entry point hands that implementation in.
#pragma once

#include "LM_types.h"

struct FilterRecord;
class LM_globals;

class LM_dialog {
  public:
    // Builds the parameter dialog (hidden) into globals->dialog; 0 or an error code.
    virtual LM_sint16 Construct(FilterRecord* record, LM_globals* globals) const = 0;
    // Fits the filtered area into the preview and allocates the preview buffers; 0 or -108.
    virtual LM_sint16 CalculatePreviewScaling(FilterRecord* record, LM_globals* globals) const = 0;
    // Runs the dialog and tears it down; 0 on OK, 1 on Cancel, or an error code.
    virtual LM_sint16 Run(FilterRecord* record, LM_globals* globals) const = 0;
    // Releases the dialog and its controls and menus; clears dialog and dialogTemplate.
    virtual void Dispose(LM_globals* globals) const = 0;
    // The about box, until the user dismisses it.
    virtual void ShowAbout() const = 0;
    // Tells the user that this host cannot run the filter.
    virtual void AlertUnsupportedHost() const = 0;

  protected:
    ~LM_dialog() = default;
};
