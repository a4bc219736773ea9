#include "audio/SoundConversion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/DataFolders.h"
#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "platform/bass.h"
#include "platform/crt.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kChunkBytes = 20000;

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v & 0xFF);
    p[1] = uint8_t((v >> 8) & 0xFF);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}


}  // namespace

void MakeWavHeader(uint8_t header[44], uint32_t rate, uint32_t channels, bool eightBit)
{
    uint32_t bits = eightBit ? 8 : 16;
    uint32_t block = channels * bits / 8;
    std::memcpy(header, "RIFF", 4);
    Put32(header + 4, 0);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    Put32(header + 16, 16);
    Put16(header + 20, 1);
    Put16(header + 22, channels);
    Put32(header + 24, rate);
    Put32(header + 28, block * rate);
    Put16(header + 32, block);
    Put16(header + 34, bits);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, 0);
}

namespace {

void LogWithFile(const char* text, const char* file)
{
    LogText(text);
    LogText(file);
    LogText("\n");
}

// The stream's whole wave file (header, then the data in chunks of 20000 bytes);
// false on a decoding error, which would leave the data cut short or garbled.
bool DecodeToWav(HSTREAM stream, std::vector<uint8_t>& wav)
{
    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(stream, &info);
    wav.assign(44, 0);
    MakeWavHeader(wav.data(), info.freq, info.chans, (info.flags & BASS_FLAG_8BIT) != 0);
    std::vector<uint8_t> buffer(kChunkBytes);
    while (BASS_ChannelIsActive(stream))
    {
        DWORD got = BASS_ChannelGetData(stream, buffer.data(), kChunkBytes);
        if (got == BASS_DATA_ERROR || got > kChunkBytes)
            return false;
        wav.insert(wav.end(), buffer.begin(), buffer.begin() + got);
        Sleep(1);  // let the rest of the system breathe while decoding
    }
    Put32(wav.data() + 4, uint32_t(wav.size() - 8));
    Put32(wav.data() + 40, uint32_t(wav.size() - 44));
    return true;
}

}  // namespace

int32_t ConvertOggToWav(const char* source, const char* target)
{
    HSTREAM stream = BASS_StreamCreateFile(FALSE, source, 0, 0, BASS_FLAG_DECODE_ONLY);
    if (!stream)
    {
        LogWithFile("Unable to stream file ", source);
        return 0;
    }
    std::vector<uint8_t> wav;
    const bool decoded = DecodeToWav(stream, wav);
    BASS_StreamFree(stream);
    if (!decoded)
    {
        LogWithFile("Unable to decode file ", source);
        return 0;
    }
    // Written whole or not at all: a full disk leaves the old file, or none.
    if (!crt::WriteFileAtomic(target, wav.data(), wav.size()))
    {
        LogWithFile("Unable to write file ", target);
        return 0;
    }
    return 1;
}

int32_t ConvertSoundsFirstRun(const char* optionsFile, const char* soundFolder, const char* convertedFolder)
{
    CSoundConversion conversion(optionsFile, soundFolder, convertedFolder);
    while (conversion.Step())
    {
    }
    return conversion.Result();
}

CSoundConversion::CSoundConversion(const char* optionsFile, const char* soundFolder, const char* convertedFolder)
    : options(optionsFile ? optionsFile : ""),
      sounds(soundFolder ? soundFolder : ""),
      converted(convertedFolder ? convertedFolder : "")
{
    separate = IsWin2000OrLater() && sounds != converted;
}

CSoundConversion::~CSoundConversion()
{
    if (list)
        std::fclose(list);
}

bool CSoundConversion::Step()
{
    if (!begun)
    {
        begun = true;
        return Begin();
    }
    return list && ConvertNext();
}

// Finds the mark of an earlier run, else opens the list; true when there are sounds to convert.
bool CSoundConversion::Begin()
{
    if (separate)
    {
        if (FILE* mark = crt::fopen((converted + "Vol.cfg").c_str(), "r"))
        {
            std::fclose(mark);
            return false;
        }
    }
    else
    {
        char value[256] = {};
        GetPrivateProfileStringA("Sound", "Converted", "0", value, 255, options.c_str());
        if (std::atoi(value) == 1)
            return false;
    }

    LogText("Firs time sound convertion...\n");
    list = crt::fopen((sounds + "Ogg.lst").c_str(), "r");
    if (!list)
    {
        LogText("Unable to open file Ogg.lst");
        result = 0;
        return false;
    }
    return true;
}

// Converts the next listed sound; at the list's end leaves the mark and returns false.
bool CSoundConversion::ConvertNext()
{
    char line[512];
    while (std::fgets(line, sizeof(line), list))
    {
        ChopNewline(line);
        if (!line[0])
            continue;
        std::string source = sounds + line + ".ogg";
        std::string target = converted + line + ".wav";
        if (!ConvertOggToWav(source.c_str(), target.c_str()))
        {
            LogText("Fist time sound convertion error!\n");
            failed += failed.empty() ? line : std::string(", ") + line;
        }
        return true;
    }
    std::fclose(list);
    list = nullptr;
    LogText("Done\n");
    WriteMark();
    return false;
}

// The mark goes down only when every sound converted and is checked: without it
// the next start converts the sounds again.
void CSoundConversion::WriteMark()
{
    if (!failed.empty())
    {
        LogText(("Sounds not converted: " + failed + "; they are converted again at the next start\n").c_str());
        return;
    }
    const bool marked = separate ? CopyFileA((sounds + "Vol.cfg").c_str(), (converted + "Vol.cfg").c_str(), FALSE)
                                 : WritePrivateProfileStringA("Sound", "Converted", "1", options.c_str());
    if (!marked)
        LogWithFile("Unable to write the mark of the converted sounds: they are converted again at the next start ",
                    separate ? (converted + "Vol.cfg").c_str() : options.c_str());
}
