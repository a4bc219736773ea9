// The game's additional bitmap fonts: "AdditionalFonts.lst" in the fonts folder names
// them one per line, and their order fixes the font indices 1, 2, ... of the game's
// font list (the gem bar takes font 1, the pop-up messages font 2).
#pragma once

#include <string>
#include <vector>

#include "engine/RefPtr.h"
#include "platform/d3d8.h"

class CDevice;
class CFont;

// The formats tried, in order, for textures whose format matters (fonts, glass, sand).
std::vector<D3DFORMAT> TextureFormatCandidates();

// One line of the list as a font name: cut at its last newline, trimmed of blanks and
// tabs, stripped of one pair of double quotes, trimmed again. "" ends the list.
std::string CleanFontListLine(const char* line);

// Loads every font of the list file into fonts (appended in file order) and returns
// how many were loaded; 0 when the list cannot be opened. A missing picture or
// description ends the list with a message added to errors and the log; the fonts
// loaded before it stay.
int LoadFontList(CDevice& device, const std::string& fontsFolder, std::vector<CRefPtr<CFont>>& fonts,
                 std::vector<std::string>& errors);

// Fonts the start-up cannot do without: the main font and the two that the gem bar
// and the pop-up messages take from the list.
constexpr size_t kRequiredFontCount = 3;
