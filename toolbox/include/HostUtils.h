// Utilities the host offers the module beside the Toolbox proper.
#pragma once

#include "Dialogs.h"

// Shows the about box of dialog resource `dialogID` until a click or a key.
void ShowAbout(std::int16_t dialogID);
// Moves a DLOG template's bounds so that the dialog opens centred horizontally with a third of the
// spare height above it.
void CenterDialog(Handle dlogTemplate);
// Makes a DLOG template a movable modal dialog. `hostSignature` names the host (unused here).
void SetUpMoveableModal(Handle dlogTemplate, OSType hostSignature);
