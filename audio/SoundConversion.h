// The first-run conversion: the sound effects ship as ".ogg" files listed in
// "Ogg.lst" in the sound folder; on the first run each is decoded into a PCM
// ".wav" file of the converted-sound folder, where the sound bank loads them.
// A mark then keeps later runs from doing the work again: the [Sound]
// Converted key of the user's options file when both folders are one, else the
// copy of "Vol.cfg" in the converted-sound folder. The mark is written only when
// every sound converted, so a start that could not (a full disk) converts again
// at the next start.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// 1 when the conversion was already done or has run; 0 when "Ogg.lst" cannot
// be opened (no mark is written, so the next run tries again).
int32_t ConvertSoundsFirstRun(const char* optionsFile, const char* soundFolder, const char* convertedFolder);

// The same conversion a sound at a time, so that start-up can spread it over
// frames: each Step converts the next listed sound; the mark is written by the
// step that finds the list's end, so a run cut short converts again next time.
class CSoundConversion
{
public:
    CSoundConversion(const char* optionsFile, const char* soundFolder, const char* convertedFolder);
    ~CSoundConversion();
    CSoundConversion(const CSoundConversion&) = delete;
    CSoundConversion& operator=(const CSoundConversion&) = delete;

    // True while there is more to do.
    bool Step();
    // ConvertSoundsFirstRun's result once Step has returned false.
    int32_t Result() const { return result; }

private:
    bool Begin();
    bool ConvertNext();
    void WriteMark();

    std::string options;
    std::string sounds;
    std::string converted;
    bool separate = false;
    bool begun = false;
    std::FILE* list = nullptr;
    std::string failed;  // the sounds that did not convert, for the log
    int32_t result = 1;
};

// Decodes one file into a wave file, written whole or not at all; 1 when it was
// written, 0 on failure.
int32_t ConvertOggToWav(const char* source, const char* target);

// The 44-byte PCM wave header, both sizes 0 (filled in once the data is written).
void MakeWavHeader(uint8_t header[44], uint32_t rate, uint32_t channels, bool eightBit);
