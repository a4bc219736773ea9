// The one code-page-1251 <-> UTF-8 table of the platform layer. Game strings are
// cp1251 bytes; only SDL and the file system see UTF-8.
#pragma once

#include <string>

namespace platform {

// Bytes without a character in the code page (0x98) are dropped.
std::string Cp1251ToUtf8(const std::string& text);

// Characters the code page cannot hold, and broken UTF-8, are dropped; *ok (when
// given) tells whether anything was dropped.
std::string Utf8ToCp1251(const std::string& text, bool* ok = nullptr);

// The code point of one cp1251 byte, or 0 for the one byte without a character.
unsigned Cp1251ToUnicode(unsigned char c);

// The cp1251 byte of a code point, or -1 when the code page has none.
int UnicodeToCp1251(unsigned codePoint);

// Upper case of one cp1251 byte: ASCII letters and the Cyrillic letters.
unsigned char Cp1251Upper(unsigned char c);

} // namespace platform
