// The music tracks: short looping pieces of a few bars, each with its own key,
// tempo and instruments. Every note that rings past the end of the loop is
// folded back onto its start, so the tracks loop without a seam.
#include <cstdio>

#include "sfx.h"
#include "synth.h"

namespace synth {
namespace {

constexpr int kRate = 44100;

struct Style
{
    std::string name;
    double bpm;
    int bars;                              // the loop's length
    std::vector<std::vector<int>> chords;  // MIDI notes per chord, one chord per bar, repeated
    std::vector<int> scale;                // melody notes
    Wave arp;                              // arpeggio voice
    bool pluckArp;                         // plucked instead of Wave
    Wave lead;
    bool bellLead;
    double drums;                          // 0: none, up to 1
    double padLevel;
    uint32_t seed;
};

std::vector<Style> Styles()
{
    // Chords are written as MIDI notes around middle C.
    return {
        {"mainmenu", 84, 12, {{57, 60, 64}, {53, 57, 60}, {60, 64, 67}, {55, 59, 62}},
         {69, 72, 74, 76, 79, 81, 84}, Wave::Triangle, true, Wave::Sine, true, 0.0, 1.0, 101},
        {"gameplay1", 112, 16, {{60, 64, 67}, {55, 59, 62}, {57, 60, 64}, {53, 57, 60}},
         {72, 74, 76, 79, 81, 84}, Wave::Triangle, true, Wave::Triangle, false, 0.8, 0.7, 102},
        {"gameplay2", 100, 12, {{62, 65, 69}, {58, 62, 65}, {53, 57, 60}, {60, 64, 67}},
         {74, 77, 79, 81, 84, 86}, Wave::Sine, true, Wave::Sine, true, 0.6, 0.8, 103},
        {"gameplay3", 120, 16, {{64, 67, 71}, {60, 64, 67}, {55, 59, 62}, {62, 66, 69}},
         {76, 79, 81, 83, 86, 88}, Wave::Square, false, Wave::Triangle, false, 0.9, 0.6, 104},
        {"storyline", 72, 8, {{62, 65, 69}, {55, 58, 62}, {57, 61, 64}, {62, 65, 69}},
         {69, 74, 76, 77, 81, 86}, Wave::Sine, true, Wave::Sine, true, 0.0, 1.2, 105},
        {"bonuslevel", 128, 16, {{53, 57, 60}, {55, 59, 62}, {52, 55, 59}, {57, 60, 64}},
         {72, 74, 77, 79, 81, 84}, Wave::Square, false, Wave::Square, false, 1.0, 0.6, 106},
    };
}

void Kick(Buffer& b, double at, double amp)
{
    ToneSpec t;
    t.start = at;
    t.dur = 0.2;
    t.f0 = 120;
    t.f1 = 40;
    t.amp = amp;
    t.attack = 0.001;
    t.decay = 0.07;
    t.wrap = true;
    Tone(b, t);
}

void Hat(Buffer& b, double at, double amp, uint32_t seed)
{
    NoiseSpec n;
    n.start = at;
    n.dur = 0.05;
    n.amp = amp;
    n.cutoff0 = 12000;
    n.highpass = 6000;
    n.decay = 0.012;
    n.seed = seed;
    n.pan = 0.25;
    n.wrap = true;
    Noise(b, n);
}

void Snare(Buffer& b, double at, double amp, uint32_t seed)
{
    NoiseSpec n;
    n.start = at;
    n.dur = 0.18;
    n.amp = amp;
    n.cutoff0 = 7000;
    n.highpass = 900;
    n.decay = 0.05;
    n.seed = seed;
    n.pan = -0.1;
    n.wrap = true;
    Noise(b, n);
    ToneSpec t;
    t.start = at;
    t.dur = 0.1;
    t.f0 = 210;
    t.f1 = 170;
    t.amp = amp * 0.5;
    t.decay = 0.03;
    t.wrap = true;
    Tone(b, t);
}

Buffer Render(const Style& s)
{
    const double beat = 60.0 / s.bpm;
    const double bar = beat * 4;
    const double length = bar * s.bars;
    Buffer b(kRate, 2, length);
    Rng rng(s.seed);

    // A four-bar melody, played over the loop with small changes each time.
    struct MelodyNote
    {
        double at, len;
        int note;
    };
    std::vector<MelodyNote> phrase;
    {
        static const double rhythms[][4] = {{1, 1, 1, 1}, {1.5, 0.5, 1, 1}, {2, 1, 1, 0}, {1, 0.5, 0.5, 2}, {3, 1, 0, 0}};
        size_t si = s.scale.size() / 2;
        for (int barIndex = 0; barIndex < 4; ++barIndex)
        {
            const double* rhythm = rhythms[rng.Range(5)];
            double at = barIndex * 4.0;
            for (int k = 0; k < 4 && rhythm[k] > 0; ++k)
            {
                // Small steps mostly, an occasional leap.
                int step = rng.Range(5) - 2;
                if (rng.Range(6) == 0)
                    step *= 2;
                long next = long(si) + step;
                if (next < 0)
                    next = 1;
                if (next >= long(s.scale.size()))
                    next = long(s.scale.size()) - 2;
                si = size_t(next);
                phrase.push_back({at, rhythm[k], s.scale[si]});
                at += rhythm[k];
            }
        }
        // The phrase comes home to the key note.
        phrase.back().note = s.scale[0] + 12 <= s.scale.back() ? s.scale[0] + 12 : s.scale[0];
    }

    uint32_t noiseSeed = s.seed * 1000;
    for (int barIndex = 0; barIndex < s.bars; ++barIndex)
    {
        const std::vector<int>& chord = s.chords[size_t(barIndex) % s.chords.size()];
        const double t0 = barIndex * bar;

        // Pad: the chord held through the bar, spread across the stereo field.
        for (size_t k = 0; k < chord.size(); ++k)
        {
            ToneSpec t;
            t.start = t0;
            t.dur = bar + 0.35;
            t.f0 = Note(chord[k]);
            t.wave = Wave::Triangle;
            t.amp = 0.05 * s.padLevel;
            t.attack = 0.35;
            t.decay = bar * 1.2;
            t.pan = (double(k) - 1.0) * 0.4;
            t.vibrato = 0.05;
            t.vibratoHz = 4.5 + k;
            t.wrap = true;
            Tone(b, t);
        }

        // Bass: root on the first beat, fifth on the third.
        for (int beatIndex = 0; beatIndex < 4; beatIndex += 2)
        {
            ToneSpec t;
            t.start = t0 + beatIndex * beat;
            t.dur = beat * 1.8;
            t.f0 = Note(chord[0] - 24 + (beatIndex == 2 ? 7 : 0));
            t.wave = Wave::Sine;
            t.amp = 0.2;
            t.attack = 0.01;
            t.decay = beat * 1.2;
            t.wrap = true;
            Tone(b, t);
            t.wave = Wave::Triangle;
            t.amp = 0.08;
            Tone(b, t);
        }

        // Arpeggio in eighths through the chord and up an octave.
        const int pattern[] = {0, 1, 2, 3, 2, 1, 2, 3};
        for (int k = 0; k < 8; ++k)
        {
            int idx = pattern[k];
            int note = idx < 3 ? chord[size_t(idx)] + 12 : chord[0] + 24;
            double at = t0 + k * beat / 2;
            double pan = (k % 2 == 0) ? -0.35 : 0.35;
            if (s.pluckArp)
            {
                Pluck(b, at, Note(note), beat * 1.2, 0.12, pan, noiseSeed++, true, 0.995);
            }
            else
            {
                ToneSpec t;
                t.start = at;
                t.dur = beat * 0.6;
                t.f0 = Note(note);
                t.wave = s.arp;
                t.amp = 0.05;
                t.attack = 0.004;
                t.decay = beat * 0.2;
                t.pan = pan;
                t.wrap = true;
                Tone(b, t);
            }
        }

        // Drums.
        if (s.drums > 0)
        {
            for (int beatIndex = 0; beatIndex < 4; ++beatIndex)
            {
                double at = t0 + beatIndex * beat;
                if (beatIndex % 2 == 0)
                    Kick(b, at, 0.45 * s.drums);
                else
                    Snare(b, at, 0.16 * s.drums, noiseSeed++);
                Hat(b, at + beat / 2, 0.06 * s.drums, noiseSeed++);
            }
        }
    }

    // Melody: silent through the first phrase of a long loop, then the phrase,
    // an octave lower on every third pass.
    int phraseBars = 4;
    for (int start = (s.bars >= 12 ? phraseBars : 0), pass = 0; start + phraseBars <= s.bars; start += phraseBars, ++pass)
        for (const MelodyNote& m : phrase)
        {
            double at = start * bar + m.at * beat;
            int note = m.note - ((pass % 3 == 2) ? 12 : 0);
            if (s.bellLead)
            {
                Bell(b, at, Note(note), m.len * beat + 0.6, 0.2, 0.15, true);
            }
            else
            {
                ToneSpec t;
                t.start = at;
                t.dur = m.len * beat * 0.95;
                t.f0 = Note(note);
                t.wave = s.lead;
                t.amp = 0.14;
                t.attack = 0.02;
                t.decay = m.len * beat;
                t.pan = 0.15;
                t.vibrato = 0.12;
                t.vibratoHz = 5.5;
                t.wrap = true;
                Tone(b, t);
            }
        }

    Echo(b, beat * 0.75, 0.35, 0.35, true);
    Normalize(b, 0.7);
    return b;
}

}  // namespace

std::vector<std::string> TrackNames()
{
    std::vector<std::string> names;
    for (const Style& s : Styles())
        names.push_back(s.name);
    return names;
}

bool WriteTrack(const std::string& folder, const std::string& name)
{
    for (const Style& s : Styles())
        if (s.name == name)
            return WriteOgg(folder + name + ".ogg", Render(s), 0.3f, s.seed);
    return false;
}

}  // namespace synth
