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
using ShowPixelsProc = std::int16_t (*)(const QXPixelMap* source, const VRect* sourceRect,
                                        std::int32_t dstRow, std::int32_t dstCol, void* platformContext);
using DeliverNowProc = std::int16_t (*)();
using PropertyQueryProc = std::int16_t (*)(OSType signature, OSType key, std::int32_t index,
                                           std::int32_t* simple, Handle* complex);
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
using PluginCheckParametersProc = int (*)(const void* block, std::size_t size, char* why,
                                          std::size_t whySize);
int PluginCheckParameters(const void* block, std::size_t size, char* why, std::size_t whySize);

// Sets the threads a run without the dialog shades with, the caller's included, from the next
// start on; 0 (the default) takes the machine's cores. A module may lack it: a host that finds no
// such entry point leaves the module to choose.
using PluginSetThreadsProc = void (*)(int threads);
void PluginSetThreads(int threads);

// The about box's text, one line each item, for a host that cannot show the box. Writes at most
// `size` bytes, NUL included, and returns the whole text's length. A module may lack it.
using PluginAboutTextProc = std::size_t (*)(char* text, std::size_t size);
std::size_t PluginAboutText(char* text, std::size_t size);
}

constexpr const char* kPluginMainName = "PluginMain";
constexpr const char* kPluginCheckParametersName = "PluginCheckParameters";
constexpr const char* kPluginSetThreadsName = "PluginSetThreads";
constexpr const char* kPluginAboutTextName = "PluginAboutText";

// ---- Styles -------------------------------------------------------------------------------------
// A style is a named set of the module's settings, kept as a file in the style folder that the module
// names inside the File Manager's default directory. The module owns the format; a host lists,
// reads, checks and summarises styles through the functions below, and writes a style file whole,
// marked with this type and creator.
constexpr OSType kStyleFileType = FOUR_CHAR("lmbs");
constexpr OSType kStyleFileCreator = FOUR_CHAR("????");

// Results of PluginStyleRead (and filterMemFull).
enum : int {
    styleNoErr = 0,
    styleNotAStyle = 1, // the bytes do not begin as a style file does
    styleDamaged = 2,   // wrong format, or settings the filter refuses (PluginStyleCheck says which)
};

extern "C" {
// The one thing the module hands out: a style's settings. The caller owns it from the call that
// made it and releases it with PluginStyleFree, and only so.
struct PluginStyle;

// Reads a style from the bytes of a style file. Precondition: `bytes` points to `size` readable
// bytes and `style` is not null. Postcondition: on styleNoErr *style is a new style; otherwise it
// is null. Results: styleNoErr, styleNotAStyle, styleDamaged, filterMemFull.
int PluginStyleRead(const void* bytes, std::size_t size, PluginStyle** style);
// The module's one rule for a style, the same for every file of the style folder it lists, opens
// or loads: the result PluginStyleRead gives for these bytes and, when refused, the reason in `why`
// (NUL-terminated, cut to `whySize`; empty when accepted). Results: styleNoErr, styleNotAStyle,
// styleDamaged.
int PluginStyleCheck(const void* bytes, std::size_t size, char* why, std::size_t whySize);
// Releases a style the module made; null is allowed.
void PluginStyleFree(PluginStyle* style);
// The style for people: its surface, ambient light and texture, the light count, then one line per
// light, each line ending in '\n'. Values read as the dialog shows them (sliders as their value
// text, colours as #RRGGBB); positions are in hundredths of half the preview's width, from its
// centre (x to the right, y down). Writes at most `size` bytes, NUL included (nothing when `size`
// is 0), and returns the whole text's length: a call with a larger buffer gets the rest.
std::size_t PluginStyleDescribe(const PluginStyle* style, char* text, std::size_t size);
// The style's bytes as a style file holds them. Writes at most `size` bytes and returns the whole
// length.
std::size_t PluginStyleBytes(const PluginStyle* style, void* bytes, std::size_t size);
// Reads a style from its JSON text, the readable form the shipped styles are written in. Postcondition:
// on styleNoErr *style is a new style and `name` its "name" (empty when it has none, cut to 255
// bytes); on styleDamaged *style is null and `why` holds the reason, naming the line or the field
// (NUL-terminated, cut to `whySize`). Results: styleNoErr, styleDamaged, filterMemFull.
int PluginStyleReadJSON(const char* text, std::size_t size, PluginStyle** style, Str255 name, char* why,
                        std::size_t whySize);
// The style as JSON text named `name`, every field written, so that PluginStyleReadJSON gives the
// same style again. Writes at most `size` bytes, NUL included, and returns the whole text's length.
std::size_t PluginStyleWriteJSON(const PluginStyle* style, ConstStr255Param name, char* text,
                                 std::size_t size);

// The style folder, made when missing. Returns 1 with its volume and directory; 0 when the module
// names no folder or it cannot be made (the outputs are then unchanged).
int PluginStyleFolder(std::int16_t* volume, long* directory);
// The style the dialog lists first and never deletes; an empty name when there is none.
void PluginStyleDefault(Str255 name);
// Cuts `name` in place to what the style folder stores: at most 31 bytes, never inside a UTF-8
// character.
void PluginStyleCut(Str255 name);
// 1 when the folder's file `name` (cut in place) is a style (PluginStyleCheck accepts it), else 0.
int PluginStyleOpens(Str255 name);
// The index-th style of the folder (from 0) in listing order, files that are no style skipped.
// Returns 1 with its name; 0 past the last or without a folder.
int PluginStyleIndexed(std::int16_t index, Str255 name);
// 1 when the style file `name` (cut in place) exists but may not be written, else 0.
int PluginStyleIsLocked(Str255 name);
// Deletes the style file `name` (cut in place); 1 when it is gone, 0 when there was none or it
// could not be deleted.
int PluginStyleErase(Str255 name);

// The settings the module keeps in `globalsSlot` (the word PluginMain keeps), in a style file's
// bytes: what a host stores so that a later process opens the dialog with them. Writes at most
// `size` bytes and returns the whole length; 0 when the module keeps no settings.
std::size_t PluginSettingsWrite(const std::intptr_t* globalsSlot, void* bytes, std::size_t size);
// Makes the bytes of a style file the settings the dialog of this run opens with, its popup showing
// the style `style` (an empty name shows none). Precondition: start of a run with the dialog has
// succeeded and its first continue has not come. Results: styleNoErr, styleNotAStyle,
// styleDamaged (the settings are then unchanged), filterBadSelector when no dialog is waiting,
// filterMemFull when the popup cannot list the styles.
int PluginSettingsRead(std::intptr_t* globalsSlot, const void* bytes, std::size_t size,
                       ConstStr255Param style);
// The entry of the style popup the last dialog showed as it closed, from 1 in the listing order
// (the default style first, then PluginStyleIndexed's order without it); 0 when it showed none.
std::int16_t PluginSettingsStyleEntry(const std::intptr_t* globalsSlot);
}

// The exported names, for dlsym.
constexpr const char* kPluginStyleReadName = "PluginStyleRead";
constexpr const char* kPluginStyleCheckName = "PluginStyleCheck";
constexpr const char* kPluginStyleFreeName = "PluginStyleFree";
constexpr const char* kPluginStyleDescribeName = "PluginStyleDescribe";
constexpr const char* kPluginStyleBytesName = "PluginStyleBytes";
constexpr const char* kPluginStyleReadJSONName = "PluginStyleReadJSON";
constexpr const char* kPluginStyleWriteJSONName = "PluginStyleWriteJSON";
constexpr const char* kPluginStyleFolderName = "PluginStyleFolder";
constexpr const char* kPluginStyleDefaultName = "PluginStyleDefault";
constexpr const char* kPluginStyleCutName = "PluginStyleCut";
constexpr const char* kPluginStyleOpensName = "PluginStyleOpens";
constexpr const char* kPluginStyleIndexedName = "PluginStyleIndexed";
constexpr const char* kPluginStyleIsLockedName = "PluginStyleIsLocked";
constexpr const char* kPluginStyleEraseName = "PluginStyleErase";
constexpr const char* kPluginSettingsWriteName = "PluginSettingsWrite";
constexpr const char* kPluginSettingsReadName = "PluginSettingsRead";
constexpr const char* kPluginSettingsStyleEntryName = "PluginSettingsStyleEntry";
