// The one random source of the game (token colours, shuffles, particles, effect
// jitter) over the 15-bit generator, and the hexadecimal colour reader.
#pragma once

#include <cstdint>

// The generator's next value / 32767: from 0.0 to 1.0, both ends included.
float RandomUnit();

// A bright ARGB colour (alpha 255): two channels complementary within [lo, hi],
// the third in [lo2, hi2]; which channel is the odd one is drawn too.
uint32_t RandomColor(float lo, float hi, float lo2, float hi2);

// The first (up to) 8 characters as hexadecimal digits; a character that is no
// digit counts as 0.
uint32_t ParseHex(const char* text);
