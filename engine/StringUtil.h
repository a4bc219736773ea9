// Small string helpers shared by every text-file reader (the tokenizer's
// parsers, the font list, the sound lists, the sprite sets, the profile dialogs).
#pragma once

// Upper-cases in place; only 'a'..'z' change.
void StrUpper(char* s);

// Copies src to dst without one leading and one trailing double quote. An empty
// src leaves dst unchanged; a lone quote gives an empty dst. dst may be src.
void StripQuotes(const char* src, char* dst);

// Cuts s at its last line feed; a string without one is unchanged.
void ChopNewline(char* s);

// Copies src without its leading and trailing blanks and tabs. dst may be src.
void TrimCopy(const char* src, char* dst);
