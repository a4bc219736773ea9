// The sound settings file "Vol.cfg": per sound file a volume factor, and
// optionally a pan factor ("PAN") and a music dip ("MUSIC" seconds factor).
//
//     "Explode.wav" 0.9 PAN 0.6 MUSIC 1.5 0.4
//
// Names are quoted (the tokenizer splits a bare name at its dot) and compared
// upper-cased; keywords may be written in any case.
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/SoundBank.h"
#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"

namespace {

// Clamps value into [lo, hi]; a clamp logs "Warning!", the entry's name and the message.
float ClampWithWarning(float value, float lo, float hi, const std::string& name, const char* below, const char* above)
{
    if (value < lo)
    {
        LogText("Warning!");
        LogText(name.c_str());
        LogText(below);
        return lo;
    }
    if (value > hi)
    {
        LogText("Warning!");
        LogText(name.c_str());
        LogText(above);
        return hi;
    }
    return value;
}

std::string Upper(const char* name)
{
    std::string s = name ? name : "";
    StrUpper(&s[0]);
    return s;
}

}  // namespace

void CSoundBank::LoadVolumeConfig(const char* file)
{
    configNames.reserve(80);
    configVolumes.reserve(80);
    configPanFactors.reserve(80);
    configSilencers.reserve(80);
    configNames.clear();
    configVolumes.clear();
    configPanFactors.clear();
    configSilencers.clear();

    CTokenizer tokenizer;
    if (tokenizer.Open(file) != 0)
    {
        LogText("Unable to open file");
        LogText(file);
        return;
    }

    char token[CTokenizer::kTokenSize];
    bool truncated = false;
    if (tokenizer.NextToken(token) > 0)
    {
        StrUpper(token);
        for (;;)
        {
            // token holds the entry's name.
            char name[CTokenizer::kTokenSize];
            StripQuotes(token, name);
            if (tokenizer.NextToken(token) == 0)
            {
                truncated = true;
                break;
            }
            float volume = ClampWithWarning(float(std::atof(token)), 0.0f, 1.0f, name, "volume <0 ! \n", "volume >1 ! \n");
            configNames.push_back(name);
            configVolumes.push_back(volume);
            configPanFactors.push_back(1.0f);
            configSilencers.push_back(std::make_pair(0.0f, 1.0f));

            // Options of this entry, until a token that is none.
            bool more = false;
            while (tokenizer.NextToken(token) > 0)
            {
                StrUpper(token);
                if (std::strcmp(token, "PAN") == 0)
                {
                    if (tokenizer.NextToken(token) == 0)
                    {
                        truncated = true;
                        break;
                    }
                    configPanFactors.back() =
                        ClampWithWarning(float(std::atof(token)), 0.0f, 1.0f, name, "panfactor <0 ! \n", "panfactor >1 ! \n");
                }
                else if (std::strcmp(token, "MUSIC") == 0)
                {
                    if (tokenizer.NextToken(token) == 0)
                    {
                        truncated = true;
                        break;
                    }
                    float seconds = ClampWithWarning(float(std::atof(token)), 0.0f, 100.0f, name,
                                                     "music silencer time <0 ! \n", "music silencer time >100 ! \n");
                    if (tokenizer.NextToken(token) == 0)
                    {
                        truncated = true;
                        break;
                    }
                    float factor = ClampWithWarning(float(std::atof(token)), 0.0f, 1.0f, name,
                                                    "music silencer volume <0 ! \n", "music silencer volume >1 ! \n");
                    configSilencers.back() = std::make_pair(seconds, factor);
                }
                else
                {
                    more = true;  // the next entry's name
                    break;
                }
            }
            if (truncated || !more)
                break;
        }
    }
    if (truncated)
    {
        LogText("Unexpected end of file");
        LogText(file);
        LogText("\n");
    }
    tokenizer.Close();
}

float CSoundBank::GetConfigVolume(const char* name) const
{
    std::string key = Upper(name);
    for (size_t i = 0; i < configNames.size(); ++i)
        if (configNames[i] == key)
            return configVolumes[i];
    return 1.0f;
}

float CSoundBank::GetConfigPanFactor(const char* name) const
{
    std::string key = Upper(name);
    for (size_t i = 0; i < configNames.size(); ++i)
        if (configNames[i] == key)
            return configPanFactors[i];
    return 0.0f;
}

std::pair<float, float> CSoundBank::GetConfigSilencer(const char* name) const
{
    std::string key = Upper(name);
    for (size_t i = 0; i < configNames.size(); ++i)
        if (configNames[i] == key)
            return configSilencers[i];
    return std::make_pair(0.0f, 1.0f);
}
