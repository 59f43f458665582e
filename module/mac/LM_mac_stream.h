// Style files: the style folder in the host's data folder, file streams over the File Manager,
// listing, and the file-level operations of the style library.
#pragma once

#include "LM_stream.h"
#include "LM_style_check.h"
#include "Types.h"

class LM_globals;

// File names are cut to 31 bytes in place, never inside a UTF-8 character.
void LM_CutStyleName(Str255 name);

// The style folder (STR# 138 string 1) in the default directory, made when missing.
LM_bool LM_GetStyleFolder(std::int16_t& volume, long& directory);

class LM_style_ostream : public LM_ostream {
  public:
    LM_style_ostream() = default;
    ~LM_style_ostream() override;
    LM_style_ostream(const LM_style_ostream&) = delete;
    LM_style_ostream& operator=(const LM_style_ostream&) = delete;

    // Starts a style of that name in a temporary file of the style folder and writes the
    // byte-order mark and magic; an existing file of that name is replaced only by `Close`.
    LM_bool Open(Str255 name);
    // Closes the file and gives it the style's name; on failure no file is left. A stream destroyed
    // while open leaves nothing either: a style file is there whole or not at all.
    LM_bool Close();
    long WriteRaw(long count, const void* source) override;

    static LM_bool Erase(Str255 name);
    // True when the file exists but cannot be opened for writing for lack of permission.
    static LM_bool IsLocked(Str255 name);

  private:
    void Abandon();
    LM_bool ReplaceTarget();

    std::int16_t refNum = 0;
    std::int16_t volume = 0;
    long directory = 0;
    Str31 target = {0};
    Str31 temporary = {0};
    LM_bool isOpen = false;
};

// The folder's style files as a reader sees them.
class LM_style_istream {
  public:
    // The index-th file of the folder (from 0) that is a style (LM_IsStyleFile); a negative index
    // leaves the name alone and succeeds.
    static LM_bool IndexedInfo(std::int16_t index, Str255 name);
    // True when a file of that name (cut in place) exists and may be read, style or not.
    static LM_bool Exists(Str255 name);
};

struct LM_style_bytes {
    unsigned char data[LM_MAX_STYLE_BYTES + 1];
    std::size_t size = 0;
};

// The style file `name` (cut in place) read whole; false when it cannot be read or is no style by
// LM_CheckStyle. Every use of a style file goes through here: listing, choosing, loading.
LM_bool LM_ReadStyleFile(Str255 name, LM_style_bytes& bytes);
LM_bool LM_IsStyleFile(Str255 name);

LM_bool LM_SaveStyle(Str255 name, const LM_globals& globals);
LM_bool LM_LoadStyle(Str255 name, LM_globals& globals);
void LM_DeleteStyle(Str255 name);
