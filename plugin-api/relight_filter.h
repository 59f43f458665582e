// The filter interface between a host and a lighting module: the entry point, its selectors and
// result codes, the host record with its callbacks, and the host's pixel-map descriptor.
//
// Records are native structs passed within one process; they are never stored. Field names and
// order follow the host interface; rectangles of the record are 16-bit (top, left, bottom, right),
// right and bottom exclusive.
//
// Run with the dialog:    parameters, prepare, start, continue ... continue, finish.
// Run without the dialog: prepare, start, continue ... continue, finish (the block kept in
//                         parameterHandle is repeated).
// The host calls continue as long as requestRect, writeRect or maskRequestRect is non-empty;
// before each call it delivers requestData (and maskPixels) for the rectangles the module set in
// the previous call, with a writeData buffer for writeRect whose contents it takes back after.
#pragma once

#include "Types.h"

#include <cstddef>
#include <cstdint>

enum : std::int16_t {
    selectorAbout = 0,      // show the about box; the record argument is an AboutRecord
    selectorParameters = 1, // ask for the dialog in the run that follows
    selectorPrepare = 2,    // check that the host offers what the module needs
    selectorStart = 3,      // set the first rectangles; allocate per-run buffers
    selectorContinue = 4,   // take delivered pixels, return results, set the next rectangles
    selectorFinish = 5,     // release per-run buffers; the settings stay for the next run
};

enum : std::int16_t {
    filterNoErr = 0,
    filterStop = 1,                // stop quietly: alert shown, user cancelled or asked to stop
    filterMemFull = -108,          // out of memory
    filterBadSelector = -30100,    // selector not recognised, or no usable parameter block
    filterBadMode = -30101,        // image mode is not RGB
    filterServiceMissing = -30900, // a host service is missing or gave no data
};

constexpr OSType kHostSignature = FOUR_CHAR("VLMK");
constexpr std::int16_t kColourModeRGB = 3;
constexpr OSType kPropertyChannelCount = FOUR_CHAR("nuch");
constexpr OSType kPropertyChannelName = FOUR_CHAR("nmch");

// The host's rectangle for pixel maps and display, 32-bit.
struct VRect {
    std::int32_t top;
    std::int32_t left;
    std::int32_t bottom;
    std::int32_t right;
};

struct QXMaskDescriptor {
    std::int32_t reserved0;
    void* maskData;
    std::int32_t rowBytes;
    std::int32_t colBytes; // 1
    std::int32_t reserved1;
};

struct QXPixelMap {
    std::int32_t version; // 0, or 1 with a mask descriptor
    VRect bounds;
    std::int32_t imageMode; // colour mode, or 1 for a one-byte map
    std::int32_t rowBytes;
    std::int32_t colBytes;
    std::int32_t planeBytes;
    void* baseAddr;
    std::int32_t reserved;
    QXMaskDescriptor* masks;
    std::int32_t reserved2;
    std::int32_t reserved3;
};

struct HandleProcs {
    void (*disposeProc)(Handle h);
};

struct EventRecord;

// The 36-byte colour request of the host's colour services, as a native record.
struct ColorServicesInfo {
    std::int32_t infoSize; // 36
    std::int16_t selector;
    std::int16_t sourceSpace;
    std::int16_t resultSpace;
    std::int32_t reservedSourceSpaceInfo;
    std::int32_t reservedResultSpaceInfo;
    std::int16_t colorComponents[4]; // red, green, blue 0..255; the fourth unused
    std::int32_t reserved;
    const unsigned char* selectorParameter; // the prompt, length-prefixed
};

using AbortQueryProc = std::int16_t (*)();
using ProgressReportProc = void (*)(std::uint16_t done, std::uint16_t total);
using ShowPixelsProc = std::int16_t (*)(const QXPixelMap* source, const VRect* sourceRect, std::int32_t dstRow,
                                        std::int32_t dstCol, void* platformContext);
using DeliverNowProc = std::int16_t (*)();
using PropertyQueryProc = std::int16_t (*)(OSType signature, OSType key, std::int32_t index, std::int32_t* simple,
                                           Handle* complex);
using ProcessEventProc = void (*)(EventRecord* event);
using ColorServicesProc = std::int16_t (*)(ColorServicesInfo* info);

struct FilterRecord {
    AbortQueryProc abortQueryProc;
    ProgressReportProc progressReportProc;
    Handle parameterHandle;
    Rect filterArea;
    Rect requestRect;
    std::int16_t requestFirstPlane;
    std::int16_t requestLastPlane;
    Rect writeRect;
    std::int16_t writeFirstPlane;
    std::int16_t writeLastPlane;
    void* requestData;
    std::int32_t requestRowBytes;
    void* writeData;
    std::int32_t writeRowBytes;
    Boolean maskPresent;
    Boolean maskEnabled;
    Rect maskRequestRect;
    void* maskPixels;
    std::int32_t maskRowBytes;
    OSType hostSignature;
    std::int16_t colourMode;
    ProcessEventProc eventProc;
    ShowPixelsProc showPixelsProc;
    HandleProcs* handleSuite;
    DeliverNowProc deliverNowProc;
    Boolean absolutePlanesSupported;
    Boolean absolutePlanesWanted;
    PropertyQueryProc propertyQueryProc;
    std::int16_t planeSourceCode; // -1: a document channel by absolute index; -2: planes 0..2
    std::int32_t inputDelivery;
    std::int32_t maskDelivery;
    ColorServicesProc colorServicesProc;
};

struct AboutRecord {
    void* platformData;
};

extern "C" {
// The one entry point. The selector is the low 16 bits of `selector`; `globalsSlot` is the word the
// host keeps for the module between calls (0 before the first); the outcome goes to `result`.
using PluginMainProc = void (*)(std::int32_t selector, void* record, std::intptr_t* globalsSlot,
                                std::int16_t* result);
void PluginMain(std::int32_t selector, void* record, std::intptr_t* globalsSlot, std::int16_t* result);

// Checks a stored parameter block before a host hands it to the module. Returns 0 when the block
// can be used; otherwise non-zero, with a one-line reason in `why` (NUL-terminated, cut to whySize).
using PluginCheckParametersProc = int (*)(const void* block, std::size_t size, char* why, std::size_t whySize);
int PluginCheckParameters(const void* block, std::size_t size, char* why, std::size_t whySize);

// Sets the threads a run without the dialog shades with, the caller's included, from the next
// start on; 0 (the default) takes the machine's cores. A module may lack it: a host that finds no
// such entry point leaves the module to choose.
using PluginSetThreadsProc = void (*)(int threads);
void PluginSetThreads(int threads);
}

constexpr const char* kPluginMainName = "PluginMain";
constexpr const char* kPluginCheckParametersName = "PluginCheckParameters";
constexpr const char* kPluginSetThreadsName = "PluginSetThreads";
