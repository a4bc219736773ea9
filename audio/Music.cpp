#include "audio/Music.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/Log.h"

namespace {

const char* const kTrackFormats[] = {
    "%sgameplay%d.ogg",
    "%smainmenu.ogg",
    "%sstoryline.ogg",
    "%sbonuslevel.ogg",
};

bool ValidKind(int32_t kind) { return kind >= 0 && kind <= 3; }

}  // namespace

CMusic::CMusic(const char* musicFolder)
{
    std::snprintf(folder, sizeof(folder), "%s", musicFolder ? musicFolder : "");
}

CMusic::~CMusic()
{
    if (stream)
        BASS_StreamFree(stream);
}

int32_t CMusic::StreamVolume(bool withDip) const
{
    float v = volume * 100.0f * fade;
    if (withDip)
        v = v * dip;
    v = std::floor(v);
    if (!(v > 0.0f))
        return 0;
    return v >= 100.0f ? 100 : int32_t(v);
}

void CMusic::SendVolume(bool withDip)
{
    BASS_ChannelSetAttributes(stream, 0, StreamVolume(withDip), BASS_KEEP_PAN);
}

void CMusic::OpenTrack(int32_t kind, bool withDip)
{
    char name[600];
    if (kind == kTrackGameplay)
    {
        if (++gameplayTrack > 2)
            gameplayTrack = 0;
        std::snprintf(name, sizeof(name), kTrackFormats[0], folder, gameplayTrack + 1);
    }
    else
    {
        std::snprintf(name, sizeof(name), kTrackFormats[kind], folder);
    }

    stream = BASS_StreamCreateFile(FALSE, name, 0, 0, 0);
    if (!stream)
    {
        LogText("Unable to create music stream");
        LogText(name);
        LogText("\n");
        playing = 0;
        return;
    }
    if (!on)
    {
        playing = 0;  // opened, started when the music is switched on
        return;
    }
    if (!BASS_StreamPlay(stream, FALSE, BASS_FLAG_STREAM_LOOP))
    {
        LogText("Unable to play music");
        LogText(name);
        LogText("\n");
        playing = 0;
        return;
    }
    SendVolume(withDip);
    playing = 1;
}

void CMusic::Play(int32_t kind)
{
    if (!ValidKind(kind))
        return;
    // Only one track is ever open.
    if (stream)
    {
        BASS_StreamFree(stream);
        stream = 0;
    }
    OpenTrack(kind, false);
}

void CMusic::RequestTrack(int32_t kind)
{
    if (!ValidKind(kind))
        return;
    changePending = 1;
    requestedTrack = kind;
}

void CMusic::Update(float seconds)
{
    if (!on || !stream || paused || !playing)
        return;

    float oldDip = dip;
    dip = 1.0f;
    for (size_t i = 0; i < silencers.size();)
    {
        silencers[i].first -= seconds;
        if (silencers[i].first > 0.0f)
        {
            if (silencers[i].second < dip)
                dip = silencers[i].second;
            ++i;
        }
        else
        {
            silencers.erase(silencers.begin() + long(i));
        }
    }

    if (changePending)
    {
        fade -= fadeSpeed * seconds;
        if (fade > 0.0f)
        {
            SendVolume(true);
        }
        else
        {
            // Faded out: the new track starts at full level, without a fade-in.
            fade = 1.0f;
            changePending = 0;
            BASS_StreamFree(stream);
            stream = 0;
            OpenTrack(requestedTrack, true);
        }
    }
    else if (dip != oldDip)
    {
        SendVolume(true);
    }
}

void CMusic::SetEnabled(int32_t enable)
{
    int32_t value = enable ? 1 : 0;
    if (value == on)
        return;
    on = value;
    if (!stream)
        return;
    if (on)
    {
        // The open track carries on where it stopped.
        if (BASS_StreamPlay(stream, FALSE, BASS_FLAG_STREAM_LOOP))
        {
            SendVolume(false);
            playing = 1;
        }
        else
        {
            LogText("Unable to play music\n");
            failed = 1;
            playing = 0;
        }
    }
    else
    {
        BASS_ChannelStop(stream);
        playing = 0;
    }
}

void CMusic::SetVolume(float value)
{
    volume = value;
    if (on && stream)
        SendVolume(true);
}

void CMusic::AddSilencer(float seconds, float factor)
{
    if (!on || !stream || paused || !playing)
        return;
    silencers.push_back(std::make_pair(seconds, factor));
}

void CMusic::Pause()
{
    BASS_Pause();
    paused = 1;
}

void CMusic::Resume()
{
    BASS_Start();
    paused = 0;
}
