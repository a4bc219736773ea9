// The file layer's path translation: game paths keep the Windows spelling
// ("Data\\Gfx\\Caps.png", cp1251 names); the file system sees UTF-8 with '/'.
// A path that does not exist as spelled is looked up case-insensitively, one
// component at a time (ASCII and Cyrillic letters; an exact match wins).
#pragma once

#include <string>
#include <vector>

namespace platform {

// The native form of a game path. Components that exist in no spelling are kept
// as given, so the result also names files about to be created.
std::string NativePath(const char* path);
std::string NativePath(const std::string& path);

// cp1251 only, '\\' -> '/': no lookup on disk.
std::string TranslatePath(const std::string& path);

// True when two cp1251 names are equal but for the case of their letters.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// Whole-file helpers for the layer (native paths).
bool ReadWholeFile(const std::string& nativePath, std::string& out);

} // namespace platform
