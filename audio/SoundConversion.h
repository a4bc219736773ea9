// The first-run conversion: the sound effects ship as ".ogg" files listed in
// "Ogg.lst" in the sound folder; on the first run each is decoded into a PCM
// ".wav" file of the converted-sound folder, where the sound bank loads them.
// A mark then keeps later runs from doing the work again: the [Sound]
// Converted key of the user's options file when both folders are one, else the
// copy of "Vol.cfg" in the converted-sound folder.
#pragma once

#include <cstdint>

// 1 when the conversion was already done or has run; 0 when "Ogg.lst" cannot
// be opened (no mark is written, so the next run tries again).
int32_t ConvertSoundsFirstRun(const char* optionsFile, const char* soundFolder, const char* convertedFolder);

// Decodes one file into a wave file; 1 when it was written, 0 on failure (a
// file that fails part-way is deleted again).
int32_t ConvertOggToWav(const char* source, const char* target);

// The 44-byte PCM wave header, both sizes 0 (filled in once the data is written).
void MakeWavHeader(uint8_t header[44], uint32_t rate, uint32_t channels, bool eightBit);
