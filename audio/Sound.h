// CSound: one sound of the sound bank: the loaded sample of each variant with
// its volume, pan and music-dip factors, the ring of its latest playbacks (so
// that a master-volume change reaches sounds still playing) and the looping
// playbacks started on it. Held through CRefPtr by the bank's slots and copied
// by everyone who plays sounds.
#pragma once

#include <cstdint>
#include <list>
#include <utility>
#include <vector>

#include "platform/bass.h"

class CSound
{
public:
    // Variant count and ring size; the bank always uses a ring of 6.
    CSound(int32_t variantCount, int32_t ringSize)
        : samples(size_t(variantCount > 0 ? variantCount : 0), 0),
          volumes(samples.size(), 1.0f),
          panFactors(samples.size(), 1.0f),
          silencers(samples.size(), std::make_pair(0.0f, 1.0f)),
          channels(size_t(ringSize > 0 ? ringSize : 1), 0)
    {
    }

    // Samples are not freed here: they stay loaded until the bank shuts the
    // library down.
    ~CSound() = default;

    int32_t VariantCount() const { return int32_t(samples.size()); }

    std::vector<HSAMPLE> samples;
    std::vector<float> volumes;                        // 0..1
    std::vector<float> panFactors;                     // 0..1; 0 = never panned
    std::vector<std::pair<float, float>> silencers;    // (seconds, music volume factor)
    std::vector<HCHANNEL> channels;                    // ring of the latest playbacks
    int32_t nextChannel = 0;                           // ring entry the next playback takes
    std::list<HCHANNEL> loopChannels;                  // looping playbacks, in start order
};
