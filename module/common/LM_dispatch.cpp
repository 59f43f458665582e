#include "LM_dispatch.h"

#include "LM_bumps.h"
#include "LM_dialog.h"
#include "LM_globals.h"
#include "LM_memory.h"
#include "LM_preview.h"
#include "LM_shader.h"
#include "LM_tiles.h"
#include "Memory.h"

#include <cstring>

namespace {

constexpr long kBumpMapBytes = 66 * 66 * 4;

void reportProgress(FilterRecord* record, LM_globals* globals) {
    if (record->progressReportProc)
        record->progressReportProc(globals->progressDone, globals->progressTotal);
}

bool aborted(FilterRecord* record) {
    return record->abortQueryProc && record->abortQueryProc() != 0;
}

// The block a run without the dialog repeats must exist and pass the checks before any tile.
bool usableBlock(FilterRecord* record) {
    Handle h = record->parameterHandle;
    return h && *h && LM_CheckParameterBlock(*h, std::size_t(GetHandleSize(h)), nullptr);
}

// The block stays as it is until the finish: its lights are decoded once, and the threads that
// share the tiles' rows start here.
void startRealTiles(FilterRecord* record, LM_globals* globals) {
    const foo* block = LM_ParameterBlock(record);
    globals->StartThreads();
    LM_PrepareRowLights(block, globals->rowLights);
    globals->rowLightsForRun = 1;
    LM_SetFirstRealTileRects(record, globals);
    if (block->textureChannel != 0) {
        globals->bumpMap.amplitude = block->textureHeightScale;
        LM_RealToBumpRects(record, globals);
        globals->bumpRowsReady = 0;
    }
    reportProgress(record, globals);
}

// The dialog writes the block: make sure the host's handle holds one.
LM_sint16 ensureParameterBlock(FilterRecord* record) {
    Handle& h = record->parameterHandle;
    if (h && *h && GetHandleSize(h) == Size(sizeof(foo)))
        return filterNoErr;
    if (h && *h)
        SetHandleSize(h, sizeof(foo));
    else
        h = NewHandle(sizeof(foo));
    if (!h || !*h || GetHandleSize(h) != Size(sizeof(foo)))
        return filterMemFull;
    // The whole block is kept in files: no byte of it may be left to chance.
    std::memset(*h, 0, sizeof(foo));
    LM_InitParameterBlock(reinterpret_cast<foo*>(*h));
    return filterNoErr;
}

LM_sint16 runDialog(FilterRecord* record, LM_globals* globals, const LM_dialog& ui) {
    if (LM_sint16 r = ensureParameterBlock(record))
        return r;
    foo* block = LM_ParameterBlock(record);
    // A session over the current settings gives them back on Cancel.
    const LM_settings backup = globals->Settings();
    if (LM_sint16 r = ui.Run(record, globals)) {
        if (!globals->UseCurrentSettings())
            return r;
        globals->SetSettings(backup);
        globals->showDialog = 0;
        globals->ConvertToParameters(block, false);
        return r;
    }
    globals->showDialog = 0;
    globals->ConvertToParameters(block, false);
    startRealTiles(record, globals);
    return filterNoErr;
}

LM_sint16 captureTexture(FilterRecord* record, LM_globals* globals) {
    if (aborted(record))
        return filterStop;
    if (!LM_CompleteBumpBlock(record, globals))
        return filterServiceMissing;
    if (LM_StoreBumpMap(LM_RequestedRows(*record), globals->bumpMap) != 0)
        return filterMemFull;
    LM_BumpToRealRects(record, globals);
    globals->bumpRowsReady = 1;
    ++globals->progressDone;
    reportProgress(record, globals);
    return filterNoErr;
}

} // namespace

LM_sint16 LM_DoAbout(AboutRecord*, const LM_dialog& ui) {
    ui.ShowAbout();
    return filterNoErr;
}

LM_sint16 LM_DoPrepare(FilterRecord* record, const LM_dialog& ui) {
    if (!record->showPixelsProc || record->hostSignature != kHostSignature) {
        ui.AlertUnsupportedHost();
        return filterStop;
    }
    if (record->colourMode != kColourModeRGB)
        return filterBadMode;
    if (!record->deliverNowProc || !record->absolutePlanesSupported) {
        ui.AlertUnsupportedHost();
        return filterStop;
    }
    return filterNoErr;
}

LM_sint16 LM_DoStart(FilterRecord* record, LM_globals* globals, const LM_dialog& ui) {
    record->requestFirstPlane = record->writeFirstPlane = 0;
    record->requestLastPlane = record->writeLastPlane = 2;
    globals->filterRecord = record;
    LM_DisposePtr(globals->bumpMap.heights);
    globals->bumpMap.heightsSize = kBumpMapBytes;
    globals->bumpMap.heights = static_cast<LM_sint32*>(LM_NewPtr(kBumpMapBytes));
    if (!globals->bumpMap.heights) {
        globals->bumpMap.heightsSize = 0;
        return filterMemFull;
    }
    if (!globals->ReserveThreads(LM_ThreadCount()))
        return filterMemFull;
    if (globals->showDialog == 1) {
        globals->previewEnabled = 1;
        globals->previewGathered = 0;
        LM_sint16 r = ui.Construct(record, globals);
        if (r == 0)
            r = ui.CalculatePreviewScaling(record, globals);
        if (r != 0)
            return r;
        LM_SetFirstPreviewTileRects(record, globals);
        return filterNoErr;
    }
    if (!usableBlock(record))
        return filterBadSelector;
    startRealTiles(record, globals);
    return filterNoErr;
}

LM_sint16 LM_DoContinue(FilterRecord* record, LM_globals* globals, const LM_dialog& ui) {
    if (globals->showDialog == 1) {
        if (globals->previewGathered != 1) {
            LM_CalcTilePreview(record, globals);
            LM_SetNextPreviewTileRects(record, globals);
            return filterNoErr;
        }
        return runDialog(record, globals, ui);
    }
    if (LM_ParameterBlock(record)->textureChannel == 0) {
        // A stop is honoured between tiles of a flat run too, so any run can be cancelled.
        if (aborted(record))
            return filterStop;
        LM_ShadeTile(LM_RequestedTile(*record, true), LM_ParameterBlock(record), globals);
        LM_SetNextRealTileRects(record, globals);
        ++globals->progressDone;
        reportProgress(record, globals);
        return filterNoErr;
    }
    if (globals->bumpRowsReady == 0)
        return captureTexture(record, globals);
    LM_ShadeTileWithBumps(LM_RequestedTile(*record, false), LM_ParameterBlock(record), globals);
    LM_SetNextRealTileRects(record, globals);
    LM_RealToBumpRects(record, globals);
    globals->bumpRowsReady = 0;
    return filterNoErr;
}

LM_sint16 LM_DoFinish(LM_globals* globals, const LM_dialog& ui) {
    globals->StopThreads();
    globals->rowLightsForRun = 0;
    QXPixelMap* maps[] = {&globals->previewMap, &globals->previewSourceMap, &globals->previewTextureMap};
    for (QXPixelMap* map : maps) {
        LM_DisposePtr(map->baseAddr);
        map->baseAddr = nullptr;
    }
    LM_DisposePtr(globals->bumpMap.heights);
    globals->bumpMap.heights = nullptr;
    globals->bumpMap.heightsSize = 0;
    QXPixelMap& preview = globals->previewMap;
    if (preview.version == 1 && preview.masks) {
        DisposePtr(static_cast<Ptr>(preview.masks->maskData));
        DisposePtr(reinterpret_cast<Ptr>(preview.masks));
        preview.masks = nullptr;
        preview.version = 0;
    }
    if (globals->dialogTemplate && *globals->dialogTemplate)
        ui.Dispose(globals);
    return filterNoErr;
}

void LM_Main(const LM_dialog& ui, std::int32_t selector, void* record, std::intptr_t* globalsSlot,
             std::int16_t* result) {
    const std::int16_t which = static_cast<std::int16_t>(selector & 0xFFFF);
    if (which == selectorFinish && *globalsSlot == 0) {
        *result = filterNoErr;
        return;
    }
    if (*globalsSlot == 0) {
        LM_globals* fresh = LM_globals::New();
        *globalsSlot = reinterpret_cast<std::intptr_t>(fresh);
        if (!fresh) {
            *result = filterMemFull;
            return;
        }
        fresh->SetUseCurrentSettings(false);
    }
    LM_TAN_30 = LM_TAN_30_VALUE;
    LM_LIGHT_INTENSITY_SCALE = LM_LIGHT_INTENSITY_SCALE_VALUE;
    LM_globals* globals = reinterpret_cast<LM_globals*>(*globalsSlot);
    FilterRecord* filter = static_cast<FilterRecord*>(record);
    switch (which) {
    case selectorAbout:
        *result = LM_DoAbout(static_cast<AboutRecord*>(record), ui);
        break;
    case selectorParameters:
        *result = filterNoErr;
        globals->showDialog = 1;
        break;
    case selectorPrepare:
        *result = LM_DoPrepare(filter, ui);
        break;
    case selectorStart:
        *result = LM_DoStart(filter, globals, ui);
        if (*result != 0) {
            globals->showDialog = 0;
            LM_DoFinish(globals, ui);
        }
        break;
    case selectorContinue:
        *result = LM_DoContinue(filter, globals, ui);
        if (*result != 0 && globals->showDialog == 1 && !globals->UseCurrentSettings()) {
            LM_DoFinish(globals, ui);
            LM_globals::Delete(globals);
            *globalsSlot = 0;
        }
        break;
    case selectorFinish:
        *result = LM_DoFinish(globals, ui);
        globals->SetUseCurrentSettings(true);
        globals->showDialog = 0;
        break;
    default:
        *result = filterBadSelector;
    }
}
