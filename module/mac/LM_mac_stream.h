// Style files: the style folder in the host's data folder, file streams over the File Manager,
// listing, and the file-level operations of the style library.
#pragma once

#include "LM_stream.h"
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

class LM_style_istream : public LM_istream {
  public:
    LM_style_istream() = default;
    ~LM_style_istream() override;
    LM_style_istream(const LM_style_istream&) = delete;
    LM_style_istream& operator=(const LM_style_istream&) = delete;

    // Opens the style file and checks its byte-order mark and magic.
    LM_bool Open(Str255 name);
    LM_bool Close();
    long ReadRaw(long count, void* destination) override;

    // The index-th file of the folder (from 0) that opens as a style; a negative index leaves the
    // name alone and succeeds.
    static LM_bool IndexedInfo(std::int16_t index, Str255 name);
    static LM_bool Exists(Str255 name);

  private:
    std::int16_t refNum = 0;
    LM_bool isOpen = false;
};

LM_bool LM_SaveStyle(Str255 name, const LM_globals& globals);
LM_bool LM_LoadStyle(Str255 name, LM_globals& globals);
void LM_DeleteStyle(Str255 name);
