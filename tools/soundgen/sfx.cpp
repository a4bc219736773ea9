// The sound effects: one short recipe per file of the sound bank. Mono, 44.1 kHz.
#include "sfx.h"
#include "synth.h"

#include <cstdio>
#include <functional>

namespace synth {
namespace {

constexpr int kRate = 44100;

ToneSpec T(double start, double dur, double f0, double f1, Wave w, double amp, double attack, double decay)
{
    ToneSpec t;
    t.start = start;
    t.dur = dur;
    t.f0 = f0;
    t.f1 = f1;
    t.wave = w;
    t.amp = amp;
    t.attack = attack;
    t.decay = decay;
    return t;
}

NoiseSpec N(double start, double dur, double amp, double c0, double c1, double decay, uint32_t seed)
{
    NoiseSpec n;
    n.start = start;
    n.dur = dur;
    n.amp = amp;
    n.cutoff0 = c0;
    n.cutoff1 = c1;
    n.decay = decay;
    n.seed = seed;
    return n;
}

// A crisp tick: a click of noise on a short woody tone.
void Tick(Buffer& b, double at, double f, double amp)
{
    NoiseSpec n = N(at, 0.02, amp * 0.6, 9000, 3000, 0.004, 11);
    n.highpass = 1500;
    Noise(b, n);
    Tone(b, T(at, 0.05, f, f * 0.8, Wave::Sine, amp, 0.001, 0.012));
}

// A crystal shattering: a bright noise spray over a glassy bell.
void Shatter(Buffer& b, double f, double amp, uint32_t seed, double length)
{
    NoiseSpec n = N(0.0, length * 0.6, amp * 0.5, 12000, 2500, length * 0.12, seed);
    n.highpass = 2500;
    n.tremolo = 45;
    Noise(b, n);
    Bell(b, 0.005, f, length, amp * 0.6);
    Bell(b, 0.03, f * 1.5, length * 0.7, amp * 0.3);
}

// A low boom: a falling sine thump under rumbling noise.
void Boom(Buffer& b, double at, double length, double amp, uint32_t seed)
{
    Tone(b, T(at, length * 0.6, 110, 35, Wave::Sine, amp, 0.003, length * 0.2));
    NoiseSpec n = N(at, length, amp * 0.9, 3000, 150, length * 0.25, seed);
    Noise(b, n);
    NoiseSpec crack = N(at, 0.08, amp * 0.6, 9000, 4000, 0.02, seed + 1);
    Noise(b, crack);
}

void Arpeggio(Buffer& b, double at, const std::vector<double>& notes, double step, double len, Wave w, double amp)
{
    for (size_t i = 0; i < notes.size(); ++i)
        Tone(b, T(at + step * double(i), len, Note(notes[i]), 0, w, amp, 0.004, len * 0.35));
}

void Chimes(Buffer& b, double at, const std::vector<double>& notes, double step, double len, double amp)
{
    for (size_t i = 0; i < notes.size(); ++i)
        Bell(b, at + step * double(i), Note(notes[i]), len, amp);
}

struct Recipe
{
    std::string name;
    double seconds;
    std::function<void(Buffer&)> make;
};

std::vector<Recipe> Recipes()
{
    std::vector<Recipe> r;
    // Interface.
    r.push_back({"MouseOver", 0.08, [](Buffer& b) { Tone(b, T(0, 0.08, 1900, 2300, Wave::Sine, 0.35, 0.004, 0.02)); }});
    r.push_back({"Click", 0.1, [](Buffer& b) {
                     Tick(b, 0, 1400, 0.7);
                     Tone(b, T(0, 0.06, 900, 600, Wave::Triangle, 0.3, 0.001, 0.015));
                 }});
    r.push_back({"GoodClick", 0.35, [](Buffer& b) {
                     Tick(b, 0, 1500, 0.6);
                     Bell(b, 0.03, Note(88), 0.3, 0.4);
                 }});
    r.push_back({"Upgrade", 0.9, [](Buffer& b) { Chimes(b, 0, {72, 76, 79, 84, 88}, 0.09, 0.5, 0.45); }});
    r.push_back({"Hint", 0.7, [](Buffer& b) {
                     Bell(b, 0, Note(88), 0.5, 0.4);
                     Bell(b, 0.15, Note(95), 0.5, 0.35);
                 }});
    // Picking and moving tokens.
    r.push_back({"Select", 0.12, [](Buffer& b) {
                     Tone(b, T(0, 0.1, 760, 520, Wave::Sine, 0.8, 0.001, 0.025));
                     Tick(b, 0, 2000, 0.25);
                 }});
    r.push_back({"SelectSteel", 0.4, [](Buffer& b) {
                     Bell(b, 0, 1150, 0.4, 0.55);
                     Tick(b, 0, 2400, 0.3);
                 }});
    r.push_back({"Wrong", 0.45, [](Buffer& b) {
                     Tone(b, T(0, 0.16, 233, 220, Wave::Square, 0.35, 0.005, 0.0));
                     Tone(b, T(0.2, 0.22, 196, 175, Wave::Square, 0.35, 0.005, 0.0));
                 }});
    r.push_back({"Drop", 0.25, [](Buffer& b) {
                     Tone(b, T(0, 0.18, 170, 60, Wave::Sine, 0.9, 0.001, 0.05));
                     Noise(b, N(0, 0.06, 0.3, 1800, 400, 0.015, 3));
                 }});
    // Gems and bonuses.
    r.push_back({"BonusClick", 0.3, [](Buffer& b) {
                     Tone(b, T(0, 0.09, 700, 1700, Wave::Sine, 0.6, 0.002, 0.04));
                     Bell(b, 0.06, Note(86), 0.24, 0.35);
                 }});
    r.push_back({"GemOut", 0.6, [](Buffer& b) {
                     Chimes(b, 0, {84, 88, 91, 96}, 0.05, 0.45, 0.35);
                     NoiseSpec n = N(0, 0.4, 0.12, 12000, 6000, 0.15, 5);
                     n.highpass = 5000;
                     n.tremolo = 30;
                     Noise(b, n);
                 }});
    r.push_back({"GemIn", 0.5, [](Buffer& b) {
                     Bell(b, 0, Note(84), 0.45, 0.45);
                     Bell(b, 0.07, Note(91), 0.4, 0.35);
                 }});
    r.push_back({"GemBar", 0.6, [](Buffer& b) {
                     ToneSpec t = T(0, 0.55, 600, 1500, Wave::Triangle, 0.35, 0.05, 0.25);
                     t.vibrato = 0.2;
                     Tone(b, t);
                     Bell(b, 0.3, Note(91), 0.3, 0.25);
                 }});
    // Tokens destroyed: each variant a step up a pentatonic scale, so runs sound musical.
    const double penta[] = {76, 79, 81, 83, 86, 88, 91, 93};
    for (int i = 0; i < 8; ++i)
    {
        double f = Note(penta[i]);
        r.push_back({"Terminator" + std::to_string(i), 0.45,
                     [f, i](Buffer& b) { Shatter(b, f, 0.6, uint32_t(20 + i), 0.45); }});
    }
    r.push_back({"Terminator0_s", 0.25, [](Buffer& b) { Shatter(b, Note(79), 0.35, 31, 0.25); }});
    r.push_back({"TerminatorSteel", 0.6, [](Buffer& b) {
                     Bell(b, 0, 520, 0.6, 0.5);
                     Bell(b, 0.01, 1370, 0.35, 0.25);
                     Noise(b, N(0, 0.1, 0.35, 7000, 2000, 0.03, 32));
                 }});
    r.push_back({"ChainOut", 0.5, [](Buffer& b) {
                     for (int k = 0; k < 4; ++k)
                     {
                         Bell(b, 0.09 * k, 1800 + 230 * k, 0.18, 0.3);
                         Noise(b, N(0.09 * k, 0.03, 0.25, 9000, 5000, 0.008, uint32_t(40 + k)));
                     }
                 }});
    r.push_back({"ChainOut_s", 0.22, [](Buffer& b) {
                     Bell(b, 0, 2100, 0.2, 0.3);
                     Noise(b, N(0, 0.03, 0.25, 9000, 5000, 0.008, 45));
                 }});
    r.push_back({"Explode", 1.2, [](Buffer& b) { Boom(b, 0, 1.2, 0.9, 50); }});
    r.push_back({"Explode2", 0.8, [](Buffer& b) {
                     Boom(b, 0, 0.8, 0.8, 52);
                     NoiseSpec n = N(0.05, 0.6, 0.35, 6000, 1500, 0.12, 53);
                     n.tremolo = 25;
                     Noise(b, n);
                 }});
    // Combos: a brighter chord for every level.
    for (int level = 2; level <= 9; ++level)
    {
        double root = 60 + 2 * (level - 2);
        r.push_back({"Combo" + std::to_string(level), 0.7, [root, level](Buffer& b) {
                         Arpeggio(b, 0, {root, root + 4, root + 7, root + 12}, 0.035, 0.5, Wave::Triangle, 0.3);
                         Bell(b, 0.12, Note(root + 24), 0.5, 0.2 + 0.02 * level);
                     }});
    }
    r.push_back({"BonusDrop", 0.5, [](Buffer& b) {
                     Tone(b, T(0, 0.32, 1300, 420, Wave::Sine, 0.4, 0.01, 0.0));
                     Tone(b, T(0.32, 0.15, 150, 70, Wave::Sine, 0.8, 0.001, 0.04));
                 }});
    r.push_back({"TNT", 1.3, [](Buffer& b) {
                     NoiseSpec fuse = N(0, 0.35, 0.25, 8000, 8000, 0.0, 60);
                     fuse.highpass = 3000;
                     fuse.tremolo = 60;
                     Noise(b, fuse);
                     Boom(b, 0.35, 0.95, 1.0, 61);
                 }});
    r.push_back({"Flash", 0.7, [](Buffer& b) {
                     Tone(b, T(0, 0.5, 3200, 180, Wave::Saw, 0.3, 0.001, 0.15));
                     NoiseSpec n = N(0, 0.6, 0.5, 10000, 1500, 0.12, 62);
                     n.tremolo = 70;
                     Noise(b, n);
                 }});
    r.push_back({"Clock", 0.9, [](Buffer& b) {
                     Tick(b, 0, 1800, 0.6);
                     Tick(b, 0.25, 1300, 0.6);
                     Bell(b, 0.5, Note(81), 0.4, 0.35);
                 }});
    r.push_back({"TimeAdd", 0.7, [](Buffer& b) {
                     Tone(b, T(0, 0.3, 400, 1600, Wave::Triangle, 0.3, 0.02, 0.0));
                     Bell(b, 0.28, Note(93), 0.4, 0.4);
                 }});
    r.push_back({"Multiplier", 0.6, [](Buffer& b) {
                     Tone(b, T(0, 0.07, Note(83), 0, Wave::Square, 0.25, 0.002, 0.03));
                     Tone(b, T(0.07, 0.1, Note(88), 0, Wave::Square, 0.25, 0.002, 0.04));
                     Bell(b, 0.15, Note(95), 0.45, 0.35);
                 }});
    r.push_back({"AdviserGet", 0.9, [](Buffer& b) { Chimes(b, 0, {74, 76, 78, 80, 82, 86}, 0.07, 0.5, 0.3); }});
    r.push_back({"AdviserAct", 1.0, [](Buffer& b) {
                     for (double n : {69.0, 73.0, 76.0, 81.0})
                     {
                         ToneSpec t = T(0, 1.0, Note(n), 0, Wave::Sine, 0.18, 0.15, 0.4);
                         t.vibrato = 0.15;
                         Tone(b, t);
                     }
                     Chimes(b, 0.2, {93, 88}, 0.2, 0.5, 0.2);
                 }});
    r.push_back({"Solidarity", 1.0, [](Buffer& b) {
                     for (double n : {60.0, 64.0, 67.0, 72.0})
                         Tone(b, T(0, 1.0, Note(n), 0, Wave::Triangle, 0.18, 0.2, 0.5));
                 }});
    r.push_back({"SolidarityRedir", 0.4, [](Buffer& b) {
                     NoiseSpec n = N(0, 0.4, 0.5, 500, 6000, 0.0, 70);
                     n.attack = 0.15;
                     n.highpass = 300;
                     Noise(b, n);
                 }});
    // Power Totems.
    r.push_back({"TotemEye", 1.2, [](Buffer& b) {
                     ToneSpec t = T(0, 1.2, 110, 0, Wave::Saw, 0.2, 0.3, 0.6);
                     t.vibrato = 0.3;
                     t.vibratoHz = 3;
                     Tone(b, t);
                     Tone(b, T(0, 1.2, 165, 0, Wave::Sine, 0.25, 0.3, 0.6));
                     Bell(b, 0.4, Note(84), 0.7, 0.15);
                 }});
    r.push_back({"TotemGreen1", 0.8, [](Buffer& b) {
                     const double notes[] = {67, 71, 74, 79};
                     for (int k = 0; k < 4; ++k)
                         Pluck(b, 0.08 * k, Note(notes[k]), 0.5, 0.5, 0, uint32_t(80 + k), false, 0.99);
                 }});
    r.push_back({"TotemGreen2", 0.9, [](Buffer& b) {
                     NoiseSpec leaves = N(0, 0.9, 0.3, 3000, 6000, 0.4, 84);
                     leaves.tremolo = 12;
                     leaves.attack = 0.1;
                     Noise(b, leaves);
                     for (int k = 0; k < 3; ++k)
                         Tone(b, T(0.15 + 0.18 * k, 0.1, 2600, 3400, Wave::Sine, 0.2, 0.005, 0.04));
                 }});
    r.push_back({"TotemYellow1", 0.9, [](Buffer& b) {
                     for (double n : {76.0, 80.0, 83.0, 88.0})
                     {
                         ToneSpec t = T(0, 0.9, Note(n), 0, Wave::Triangle, 0.14, 0.05, 0.35);
                         t.vibrato = 0.1;
                         t.vibratoHz = 7;
                         Tone(b, t);
                     }
                     Bell(b, 0.1, Note(100), 0.5, 0.15);
                 }});
    r.push_back({"TotemYellow2", 0.8, [](Buffer& b) {
                     for (int k = 0; k < 5; ++k)
                         Bell(b, 0.07 * k, 2300 + 170 * ((k * 3) % 5), 0.3, 0.25);
                 }});
    r.push_back({"TotemRed1", 1.0, [](Buffer& b) {
                     NoiseSpec fire = N(0, 1.0, 0.45, 2500, 900, 0.45, 90);
                     fire.tremolo = 18;
                     fire.attack = 0.05;
                     Noise(b, fire);
                     Tone(b, T(0, 1.0, 70, 55, Wave::Sine, 0.4, 0.05, 0.4));
                 }});
    r.push_back({"TotemRed2", 0.8, [](Buffer& b) {
                     NoiseSpec whoosh = N(0, 0.8, 0.55, 400, 4500, 0.0, 91);
                     whoosh.attack = 0.35;
                     Noise(b, whoosh);
                     Tone(b, T(0, 0.8, 90, 180, Wave::Saw, 0.15, 0.3, 0.0));
                 }});
    r.push_back({"TotemBlue1", 0.7, [](Buffer& b) {
                     for (int k = 0; k < 6; ++k)
                         Tone(b, T(0.1 * k, 0.07, 500 + 90 * ((k * 5) % 6), 1100 + 120 * k, Wave::Sine, 0.35, 0.002, 0.03));
                 }});
    r.push_back({"TotemBlue2", 0.8, [](Buffer& b) {
                     Noise(b, N(0, 0.8, 0.6, 7000, 900, 0.2, 93));
                     Tone(b, T(0, 0.2, 300, 120, Wave::Sine, 0.5, 0.002, 0.06));
                 }});
    r.push_back({"TotemBlue3", 0.9, [](Buffer& b) {
                     Chimes(b, 0, {96, 91, 98, 93, 100}, 0.06, 0.5, 0.25);
                 }});
    r.push_back({"TotemOrange", 1.0, [](Buffer& b) {
                     Tone(b, T(0, 0.5, 95, 45, Wave::Sine, 0.9, 0.002, 0.15));
                     Tone(b, T(0.25, 0.5, 85, 40, Wave::Sine, 0.7, 0.002, 0.15));
                     NoiseSpec rumble = N(0, 1.0, 0.4, 400, 150, 0.35, 95);
                     Noise(b, rumble);
                 }});
    r.push_back({"TotemWhite1", 1.0, [](Buffer& b) {
                     NoiseSpec wind = N(0, 1.0, 0.5, 800, 2500, 0.0, 96);
                     wind.attack = 0.4;
                     wind.highpass = 500;
                     wind.tremolo = 2;
                     Noise(b, wind);
                 }});
    r.push_back({"TotemWhite2", 0.9, [](Buffer& b) { Chimes(b, 0, {100, 96, 93, 88, 84}, 0.07, 0.5, 0.25); }});
    r.push_back({"TotemViolet", 1.1, [](Buffer& b) {
                     for (double d : {-0.1, 0.0, 0.12})
                     {
                         ToneSpec t = T(0, 1.1, Note(57 + d), 0, Wave::Saw, 0.12, 0.25, 0.5);
                         t.vibrato = 0.2;
                         t.vibratoHz = 4;
                         Tone(b, t);
                     }
                     Chimes(b, 0.2, {93, 89, 86, 81}, 0.1, 0.5, 0.18);
                 }});
    // Scores, stars and lives.
    // The glass tips over: a fanfare over the hiss of pouring sand.
    r.push_back({"ScoreFrenzy", 1.0, [](Buffer& b) {
                     Arpeggio(b, 0, {72, 76, 79, 84, 76, 79, 84, 88, 79, 84, 88, 91}, 0.07, 0.18, Wave::Square, 0.18);
                     NoiseSpec pour = N(0.05, 0.95, 0.12, 5000, 2500, 0.0, 207);
                     pour.attack = 0.3;
                     Noise(b, pour);
                 }});
    r.push_back({"BonusStar", 1.3, [](Buffer& b) {
                     Chimes(b, 0, {79, 84, 88, 91}, 0.08, 0.5, 0.3);
                     Bell(b, 0.35, Note(96), 0.9, 0.35);
                 }});
    r.push_back({"LifeLost", 1.2, [](Buffer& b) {
                     Arpeggio(b, 0, {69, 65, 62}, 0.28, 0.5, Wave::Triangle, 0.4);
                     Tone(b, T(0.84, 0.36, Note(57), Note(55), Wave::Triangle, 0.4, 0.01, 0.2));
                 }});
    r.push_back({"LifeLostBack", 1.2, [](Buffer& b) {
                     NoiseSpec swell = N(0, 1.2, 0.4, 300, 1200, 0.0, 110);
                     swell.attack = 0.9;
                     Noise(b, swell);
                     Tone(b, T(0, 1.2, 55, 50, Wave::Sine, 0.4, 0.8, 0.0));
                 }});
    r.push_back({"AddLife", 0.7, [](Buffer& b) {
                     Arpeggio(b, 0, {76, 79, 88, 84, 86, 91}, 0.07, 0.2, Wave::Square, 0.2);
                 }});
    r.push_back({"Trophy", 1.6, [](Buffer& b) {
                     Arpeggio(b, 0, {67, 72, 76}, 0.12, 0.3, Wave::Triangle, 0.3);
                     for (double n : {72.0, 76.0, 79.0, 84.0})
                         Tone(b, T(0.36, 1.2, Note(n), 0, Wave::Triangle, 0.16, 0.02, 0.5));
                     Bell(b, 0.36, Note(96), 1.0, 0.25);
                 }});
    // Level flow.
    r.push_back({"EndLevel", 1.6, [](Buffer& b) {
                     Arpeggio(b, 0, {60, 64, 67}, 0.14, 0.3, Wave::Square, 0.2);
                     for (double n : {72.0, 76.0, 79.0})
                         Tone(b, T(0.42, 1.1, Note(n), 0, Wave::Square, 0.12, 0.01, 0.45));
                     Bell(b, 0.42, Note(84), 1.0, 0.25);
                 }});
    r.push_back({"Warning", 0.6, [](Buffer& b) {
                     Tone(b, T(0, 0.14, 988, 0, Wave::Square, 0.3, 0.003, 0.0));
                     Tone(b, T(0.2, 0.14, 740, 0, Wave::Square, 0.3, 0.003, 0.0));
                 }});
    r.push_back({"NewLevel", 1.3, [](Buffer& b) {
                     Arpeggio(b, 0, {62, 66, 69, 74}, 0.15, 0.45, Wave::Triangle, 0.3);
                     Bell(b, 0.6, Note(86), 0.7, 0.3);
                 }});
    r.push_back({"Bad", 0.6, [](Buffer& b) {
                     Tone(b, T(0, 0.55, 260, 90, Wave::Saw, 0.3, 0.01, 0.25));
                     Tone(b, T(0, 0.55, 262, 91, Wave::Square, 0.2, 0.01, 0.25));
                 }});
    r.push_back({"Win", 2.2, [](Buffer& b) {
                     Arpeggio(b, 0, {60, 64, 67, 72}, 0.13, 0.3, Wave::Square, 0.2);
                     for (double n : {65.0, 69.0, 72.0})
                         Tone(b, T(0.55, 0.45, Note(n), 0, Wave::Triangle, 0.15, 0.01, 0.3));
                     for (double n : {67.0, 71.0, 74.0, 79.0})
                         Tone(b, T(1.0, 1.2, Note(n), 0, Wave::Square, 0.1, 0.01, 0.5));
                     Chimes(b, 1.0, {91, 95, 98}, 0.08, 1.0, 0.2);
                 }});
    r.push_back({"Tick", 0.08, [](Buffer& b) { Tick(b, 0, 1600, 0.7); }});
    // A count-up loop: four ticks in exactly 0.4 s, so it repeats without a seam.
    r.push_back({"TickLoop", 0.4, [](Buffer& b) {
                     for (int k = 0; k < 4; ++k)
                         Tick(b, 0.1 * k, k == 0 ? 1900 : 1500, 0.6);
                 }});
    // Background scenes.
    // An ornament of the scene lights up: a rising shimmer settling on a chord.
    r.push_back({"Background", 1.4, [](Buffer& b) {
                     NoiseSpec rise = N(0, 0.6, 0.25, 1200, 8000, 0.0, 120);
                     rise.attack = 0.45;
                     rise.highpass = 1000;
                     Noise(b, rise);
                     Chimes(b, 0.45, {79, 83, 86, 91}, 0.04, 0.9, 0.22);
                 }});
    // The museum's map unrolls: a papery rustle under a low, wondering chord.
    r.push_back({"Museum", 1.8, [](Buffer& b) {
                     NoiseSpec paper = N(0, 1.2, 0.35, 2500, 5000, 0.0, 130);
                     paper.attack = 0.1;
                     paper.highpass = 900;
                     paper.tremolo = 14;
                     Noise(b, paper);
                     for (double n : {50.0, 57.0, 62.0, 65.0})
                         Tone(b, T(0.2, 1.6, Note(n), 0, Wave::Sine, 0.14, 0.4, 0.8));
                     Bell(b, 0.9, Note(81), 0.9, 0.15);
                     Echo(b, 0.19, 0.35, 0.5);
                 }});
    r.push_back({"Flare", 0.9, [](Buffer& b) {
                     NoiseSpec n = N(0, 0.6, 0.4, 1500, 9000, 0.0, 140);
                     n.attack = 0.25;
                     n.highpass = 800;
                     Noise(b, n);
                     Bell(b, 0.3, Note(98), 0.6, 0.3);
                 }});
    r.push_back({"Door", 1.6, [](Buffer& b) {
                     NoiseSpec grind = N(0, 1.4, 0.6, 350, 250, 0.0, 150);
                     grind.attack = 0.2;
                     grind.tremolo = 9;
                     Noise(b, grind);
                     Tone(b, T(0, 1.4, 48, 44, Wave::Saw, 0.15, 0.2, 0.0));
                     Tone(b, T(1.4, 0.2, 90, 40, Wave::Sine, 0.8, 0.001, 0.05));
                 }});
    r.push_back({"Treasure", 1.3, [](Buffer& b) {
                     for (int k = 0; k < 8; ++k)
                         Bell(b, 0.05 * k, 2000 + 260 * ((k * 5) % 8), 0.3, 0.18);
                     Chimes(b, 0.45, {84, 88, 91, 96}, 0.07, 0.7, 0.25);
                 }});
    return r;
}

}  // namespace

std::vector<std::string> SoundNames()
{
    std::vector<std::string> names;
    for (const Recipe& r : Recipes())
        names.push_back(r.name);
    return names;
}

bool WriteSounds(const std::string& folder, bool wav, bool ogg)
{
    uint32_t serial = 1000;
    for (const Recipe& r : Recipes())
    {
        Buffer b(kRate, 1, r.seconds);
        r.make(b);
        Normalize(b, 0.8);
        LimitRms(b, 0.18);
        FadeEnds(b, 0.002, 0.01);
        if (wav && !WriteWav(folder + r.name + ".wav", b))
            return false;
        if (ogg && !WriteOgg(folder + r.name + ".ogg", b, 0.4f, ++serial))
            return false;
    }
    return true;
}

}  // namespace synth
