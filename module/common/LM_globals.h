// The filter's state: the settings a style holds, and the run state and work areas around them.
#pragma once

#include "LM_bumps.h"
#include "LM_cache.h"
#include "LM_light_UI.h"
#include "LM_parameters.h"
#include "LM_shade_rows.h"
#include "LM_stream.h"
#include "LM_thread_pool.h"
#include "LM_types.h"
#include "relight_filter.h"

#include <memory>

constexpr int LM_ROW_SAMPLES = 1024;
constexpr int LM_ROW_WEIGHTS = 1280;
constexpr int LM_ELLIPSE_POINTS = 40;

// The row buffers one thread shades a tile's pieces with.
struct LM_row_work {
    LM_vector2f* positions;
    LM_vector3f* normals;
    LM_sint32* weights;
    unsigned char* baseColors; // three bytes a sample
    unsigned char* shaded;
};

// A helper thread's own row buffers.
struct LM_row_buffers {
    LM_vector2f positions[LM_ROW_SAMPLES];
    LM_vector3f normals[LM_ROW_SAMPLES];
    LM_sint32 weights[LM_ROW_WEIGHTS];
    unsigned char baseColors[LM_ROW_SAMPLES * 3];
    unsigned char shaded[LM_ROW_SAMPLES * 3 + 1]; // the relief's average reads a sample as four bytes
};

// A shader's own cursor into one converted light's caches (the block holds only references).
struct LM_light_cursor {
    LM_color96* diffuse;
    LM_color96* specular;
    LM_bool hot; // both of the light's caches were hot when the block was built
};

// What a style holds, and the style it came from: a value, so that a copy is a backup and an
// assignment restores it. The texture fields change only through LM_globals, which keeps the
// preview caches in step with them.
class LM_settings {
  public:
    LM_color48 ambientColor;
    LM_sint16 material;
    LM_sint16 gloss;
    LM_sint16 exposure;
    LM_sint16 ambientBrightness; // slider value minus 127
    LM_uint16 lightCount;
    LM_uint16 currentLight;
    LM_light_UI lights[LM_MAX_LIGHTS];

    LM_sint16 BumpAmplitude() const { return bumpAmplitude; }
    LM_bool WhiteIsHigh() const { return whiteIsHigh; }
    LM_sint16 BumpChannel() const { return bumpChannel; }
    void SetStyleIndex(LM_sint16 index) { styleIndex = index; }
    LM_sint16 StyleIndex() const { return styleIndex; }

  protected:
    LM_sint16 bumpAmplitude;
    LM_bool whiteIsHigh;
    LM_sint16 bumpChannel;
    LM_sint16 styleIndex;
};

// The filter's one central object: the settings, dialog and run state, and the large work areas
// (row buffers, the texture map, the preview caches).
class LM_globals : public LM_settings {
  public:
    // Run state.
    LM_bool showDialog;
    LM_bool previewGathered;
    LM_bool previewEnabled;
    LM_sint16 previewStep;
    LM_vectori2 previewOffset;
    LM_vectori2 previewSize;
    QXPixelMap previewMap;
    QXPixelMap previewSourceMap;
    QXPixelMap previewTextureMap;
    LM_sint16 tileSize;
    FilterRecord* filterRecord;
    LM_vectori2 previewCenter;
    LM_vectori2 previewOrigin;
    LM_uint16 progressTotal;
    LM_uint16 progressDone;
    float ellipseX[LM_ELLIPSE_POINTS];
    float ellipseY[LM_ELLIPSE_POINTS];
    Handle dialogTemplate;
    DialogPtr dialog;
    // Row work buffers: nothing is allocated while a tile is shaded.
    LM_vector2f rowPositions[LM_ROW_SAMPLES];
    LM_vector3f rowNormals[LM_ROW_SAMPLES];
    LM_color96 rowDiffuse[LM_ROW_SAMPLES];
    LM_color96 rowSpecular[LM_ROW_SAMPLES];
    LM_sint32 rowTotals[LM_ROW_SAMPLES * 3];
    LM_sint32 rowWeights[LM_ROW_WEIGHTS];
    unsigned char rowBaseColors[LM_ROW_SAMPLES * 3];
    unsigned char rowShaded[LM_ROW_SAMPLES * 3];
    LM_bool bumpRowsReady;
    LM_bump_map bumpMap;
    // Preview caches over the whole preview; with a texture, four samples a pixel.
    LM_cache<LM_vector2f> posCache;
    LM_cache<LM_vector3f> normCache;
    LM_cache<LM_sint32> weightCache;
    LM_cache<unsigned char> baseCache; // three bytes a sample
    LM_cache<LM_sint32> sampleCountCache;
    LM_cache<LM_color96> diffuseSumCache;
    LM_cache<LM_color96> specularSumCache;
    LM_light_caches lightCaches[LM_MAX_LIGHTS]; // by slot of `lights`
    // The tile whose texture block is requested, and room to complete a block a host trimmed.
    Rect bumpTileRect;
    unsigned char bumpBlock[(64 + 6) * (64 + 6)];
    // The shaders' cursors into the caches of the block's lights, one per converted light.
    LM_light_cursor lightCursors[LM_MAX_LIGHTS];
    // The block's lights decoded for the row kernels: once per final run, else once per tile.
    LM_row_lights rowLights;
    LM_bool rowLightsForRun;
    // The final run's threads beside the caller, and their row buffers, from start to finish.
    std::unique_ptr<LM_thread_pool> threads;
    LM_cache<LM_row_buffers> helperRows;
    int reservedThreads;

    LM_globals();
    LM_globals(const LM_globals&) = delete;
    LM_globals& operator=(const LM_globals&) = delete;

    // Allocates a record with LM_NewPtr and constructs it; null when out of memory.
    static LM_globals* New();
    // Destroys a record made by New and releases its memory.
    static void Delete(LM_globals* globals);

    void Default();
    const LM_settings& Settings() const { return *this; }
    // Takes every setting of `settings`; no cache stays hot.
    void SetSettings(const LM_settings& settings);
    void GenerateEllipseCoords();
    void ConvertToParameters(foo* block, LM_bool preview);
    // Style data: the body after the byte-order mark and magic. Read changes nothing unless at
    // least one light is read whole.
    LM_bool Write(LM_ostream& out) const;
    LM_bool Read(LM_istream& in);
    static LM_sint16 LM_TranslateWorldUnits(LM_sint16 value, LM_sint16 from, LM_sint16 to);

    void SetBumpAmplitude(LM_sint16 amplitude);
    void SetWhiteIsHigh(LM_bool high);
    void SetBumpChannel(LM_sint16 channel);
    void SetUseCurrentSettings(LM_bool use) { useCurrentSettings = use; }
    LM_bool UseCurrentSettings() const { return useCurrentSettings; }

    // Light set.
    void CreateNewLight(LM_sint16 x, LM_sint16 y);
    void CopyNewLight(LM_sint16 x, LM_sint16 y);
    LM_bool DeleteCurrentLight();

    // Caches.
    void AllocateCaches(const unsigned long rows, const unsigned long columns, LM_bool texture);
    void FreeCaches();
    void InvalidateCaches();
    // The caches of `light`, one of `lights`.
    LM_light_caches& CachesOf(const LM_light_UI& light);
    // After an edit of `light`: its own caches and the sums are stale.
    void LightChanged(const LM_light_UI& light);
    // Marks every light's caches and the sums as a rendering left them.
    void SetLightCachesHot(bool hot);
    // Points the shader's cursors at the caches the block's lights refer to.
    void ResolveLightCursors(const foo* block);

    // Allocates the row buffers of `count` threads in all; false when they do not fit.
    LM_bool ReserveThreads(int count);
    // Starts the reserved threads (fewer if the system refuses some) for the final run's tiles.
    void StartThreads();
    void StopThreads();
    // Thread 0 is the caller, shading with the record's own row buffers.
    LM_row_work RowWork(int thread);

  private:
    LM_bool useCurrentSettings;

    // The factory surface and relief; the texture channel and the lights stay.
    void DefaultSurface();
    LM_light_UI* AppendLight();
};
