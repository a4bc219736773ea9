// The small synthesiser behind the game's sounds and music: oscillators,
// envelopes, filtered noise, bell partials and plucked strings, mixed into
// float buffers, plus the wave and Ogg Vorbis writers. Everything is
// deterministic: noise comes from a seeded generator.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr double kPi = 3.14159265358979323846;

// A fixed-seed generator, so every build writes the same files.
class Rng
{
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double Unit() { return double(Next()) / 4294967295.0; }      // 0..1
    double Signed() { return Unit() * 2.0 - 1.0; }               // -1..1
    int Range(int n) { return int(Next() % uint32_t(n)); }

private:
    uint32_t state_;
};

enum class Wave
{
    Sine,
    Triangle,
    Square,
    Saw,
};

inline double Osc(Wave w, double phase)  // phase in turns
{
    double p = phase - std::floor(phase);
    switch (w)
    {
    case Wave::Sine:
        return std::sin(2.0 * kPi * p);
    case Wave::Triangle:
        return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
    case Wave::Square:
        return p < 0.5 ? 0.7 : -0.7;
    case Wave::Saw:
        return 2.0 * p - 1.0;
    }
    return 0.0;
}

// MIDI note number to frequency.
inline double Note(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// A mono or stereo buffer of floats at a fixed rate.
struct Buffer
{
    int rate = 44100;
    int channels = 1;
    std::vector<float> data;  // interleaved

    Buffer(int rate_, int channels_, double seconds)
        : rate(rate_), channels(channels_), data(size_t(seconds * rate_) * size_t(channels_), 0.0f)
    {
    }
    size_t Frames() const { return data.size() / size_t(channels); }
    // Adds v at frame i with a pan -1..1 (mono buffers ignore it). With wrap,
    // frames past the end come round to the start (for looping music).
    void Add(long i, double v, double pan = 0.0, bool wrap = false)
    {
        long n = long(Frames());
        if (wrap)
            i = ((i % n) + n) % n;
        if (i < 0 || i >= n)
            return;
        if (channels == 1)
        {
            data[size_t(i)] += float(v);
            return;
        }
        double l = pan > 0 ? 1.0 - pan : 1.0;
        double r = pan < 0 ? 1.0 + pan : 1.0;
        data[size_t(i) * 2] += float(v * l);
        data[size_t(i) * 2 + 1] += float(v * r);
    }
};

// Attack, then an exponential decay with the given time constant; a short
// release at the end of the note so nothing clicks.
inline double Envelope(double t, double dur, double attack, double decay)
{
    if (t < 0 || t >= dur)
        return 0.0;
    double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    double d = decay > 0 ? std::exp(-(t - std::min(t, attack)) / decay) : 1.0;
    double rel = std::min(1.0, (dur - t) / 0.01);
    return a * d * rel;
}

struct ToneSpec
{
    double start = 0.0;      // seconds
    double dur = 0.2;
    double f0 = 440.0;       // start frequency
    double f1 = 0.0;         // end frequency (0: steady)
    Wave wave = Wave::Sine;
    double amp = 0.5;
    double attack = 0.005;
    double decay = 0.1;      // time constant; 0: none
    double pan = 0.0;
    double vibrato = 0.0;    // depth in semitones
    double vibratoHz = 5.0;
    bool wrap = false;
};

inline void Tone(Buffer& b, const ToneSpec& s)
{
    long first = long(s.start * b.rate);
    long count = long(s.dur * b.rate);
    if (count <= 0)
        return;
    double f1 = s.f1 > 0 ? s.f1 : s.f0;
    // Frequency sweep and decay advance by a constant factor per sample.
    double sweep = std::pow(f1 / s.f0, 1.0 / double(count));
    double decayStep = s.decay > 0 ? std::exp(-1.0 / (s.decay * b.rate)) : 1.0;
    long attack = long(s.attack * b.rate);
    long release = std::min(count, long(0.01 * b.rate));
    double f = s.f0, phase = 0.0, level = 1.0;
    // Vibrato of a fraction of a semitone: 2^(d/12) is close enough to 1 + d ln2 / 12.
    const double vibDepth = s.vibrato * 0.05776226504666211;
    const double vibStep = 2.0 * kPi * s.vibratoHz / b.rate;
    for (long i = 0; i < count; ++i)
    {
        double fi = f;
        if (s.vibrato > 0)
            fi *= 1.0 + vibDepth * std::sin(vibStep * double(i));
        phase += fi / b.rate;
        f *= sweep;
        double env = level;
        if (i < attack)
            env *= double(i) / double(attack);
        else
            level *= decayStep;
        if (count - i < release)
            env *= double(count - i) / double(release);
        b.Add(first + i, s.amp * env * Osc(s.wave, phase), s.pan, s.wrap);
    }
}

struct NoiseSpec
{
    double start = 0.0;
    double dur = 0.2;
    double amp = 0.5;
    double cutoff0 = 4000.0;  // one-pole low-pass cut-off, start and end (Hz)
    double cutoff1 = 0.0;
    double highpass = 0.0;    // removes the rumble below this (Hz); 0: none
    double attack = 0.002;
    double decay = 0.1;
    double pan = 0.0;
    uint32_t seed = 1;
    double tremolo = 0.0;     // amplitude flutter rate (Hz), for crackle and rattle
    bool wrap = false;
};

inline void Noise(Buffer& b, const NoiseSpec& s)
{
    Rng rng(s.seed);
    long first = long(s.start * b.rate);
    long count = long(s.dur * b.rate);
    double lp = 0.0, hpIn = 0.0, hpOut = 0.0;
    double c1 = s.cutoff1 > 0 ? s.cutoff1 : s.cutoff0;
    double hpA = s.highpass > 0 ? 1.0 / (1.0 + 2.0 * kPi * s.highpass / b.rate) : 0.0;
    for (long i = 0; i < count; ++i)
    {
        double t = double(i) / b.rate;
        double fc = s.cutoff0 * std::pow(c1 / s.cutoff0, t / s.dur);
        double a = 1.0 - std::exp(-2.0 * kPi * fc / b.rate);
        lp += a * (rng.Signed() - lp);
        double v = lp;
        if (s.highpass > 0)
        {
            hpOut = hpA * (hpOut + v - hpIn);
            hpIn = v;
            v = hpOut;
        }
        double trem = s.tremolo > 0 ? (0.5 + 0.5 * std::sin(2.0 * kPi * s.tremolo * t + rng.Unit() * 0.3)) : 1.0;
        b.Add(first + i, s.amp * Envelope(t, s.dur, s.attack, s.decay) * v * trem * 2.0, s.pan, s.wrap);
    }
}

// A struck bell or glass: inharmonic partials, the higher ones dying faster.
inline void Bell(Buffer& b, double start, double f, double dur, double amp, double pan = 0.0, bool wrap = false)
{
    static const double ratios[] = {1.0, 2.76, 5.40, 8.93};
    static const double levels[] = {1.0, 0.5, 0.25, 0.12};
    for (int p = 0; p < 4; ++p)
    {
        ToneSpec t;
        t.start = start;
        t.dur = dur;
        t.f0 = f * ratios[p];
        t.amp = amp * levels[p];
        t.attack = 0.002;
        t.decay = dur / (2.0 + p * 1.5);
        t.pan = pan;
        t.wrap = wrap;
        if (t.f0 < b.rate * 0.45)
            Tone(b, t);
    }
}

// A plucked string (Karplus-Strong), warm and short.
inline void Pluck(Buffer& b, double start, double f, double dur, double amp, double pan = 0.0, uint32_t seed = 7,
                  bool wrap = false, double damping = 0.996)
{
    Rng rng(seed);
    size_t period = size_t(std::max(2.0, b.rate / f));
    std::vector<double> line(period);
    for (double& v : line)
        v = rng.Signed();
    long first = long(start * b.rate);
    long count = long(dur * b.rate);
    size_t pos = 0;
    for (long i = 0; i < count; ++i)
    {
        size_t next = (pos + 1) % period;
        double v = line[pos];
        line[pos] = damping * 0.5 * (line[pos] + line[next]);
        pos = next;
        double t = double(i) / b.rate;
        b.Add(first + i, amp * v * Envelope(t, dur, 0.001, 0.0), pan, wrap);
    }
}

// Feedback echo over the whole buffer (circular when wrap, so loops stay seamless).
inline void Echo(Buffer& b, double delay, double feedback, double mix, bool wrap = false)
{
    long n = long(b.Frames());
    long d = long(delay * b.rate);
    if (d <= 0 || d >= n)
        return;
    std::vector<float> wet(b.data.size(), 0.0f);
    int rounds = wrap ? 2 : 1;
    for (int r = 0; r < rounds; ++r)
        for (long i = 0; i < n; ++i)
        {
            long src = i - d;
            if (src < 0)
            {
                if (!wrap)
                    continue;
                src += n;
            }
            for (int c = 0; c < b.channels; ++c)
            {
                size_t si = size_t(src) * size_t(b.channels) + size_t(c);
                // Cross the channels a little for width.
                size_t di = size_t(i) * size_t(b.channels) + size_t(b.channels - 1 - c);
                wet[di] = float((b.data[si] + wet[si]) * feedback);
            }
        }
    for (size_t i = 0; i < b.data.size(); ++i)
        b.data[i] += float(wet[i] * mix);
}

// Scales the buffer so its peak is at level.
inline void Normalize(Buffer& b, double level)
{
    float peak = 0.0f;
    for (float v : b.data)
        peak = std::max(peak, std::fabs(v));
    if (peak <= 0.0f)
        return;
    float k = float(level / peak);
    for (float& v : b.data)
        v *= k;
}

// Lowers the buffer until its RMS level is at most level (long steady tones
// would otherwise be much louder than short clicks at the same peak).
inline void LimitRms(Buffer& b, double level)
{
    double sum = 0.0;
    for (float v : b.data)
        sum += double(v) * v;
    double rms = b.data.empty() ? 0.0 : std::sqrt(sum / double(b.data.size()));
    if (rms <= level)
        return;
    float k = float(level / rms);
    for (float& v : b.data)
        v *= k;
}

// Short fades at both ends of a one-shot sound.
inline void FadeEnds(Buffer& b, double in, double out)
{
    size_t n = b.Frames();
    size_t fi = size_t(in * b.rate), fo = size_t(out * b.rate);
    for (size_t i = 0; i < n; ++i)
    {
        double g = 1.0;
        if (i < fi)
            g = double(i) / double(fi);
        if (n - i < fo)
            g = std::min(g, double(n - i) / double(fo));
        for (int c = 0; c < b.channels; ++c)
            b.data[i * size_t(b.channels) + size_t(c)] *= float(g);
    }
}

std::vector<int16_t> ToPcm16(const Buffer& b);
bool WriteWav(const std::string& path, const Buffer& b);
// quality -0.1 .. 1.0 as libvorbisenc takes it.
bool WriteOgg(const std::string& path, const Buffer& b, float quality, uint32_t serial);

}  // namespace synth
