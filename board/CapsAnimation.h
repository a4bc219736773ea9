// CCapsAnimation: one token animation of "CapsAnimation.dat": frame rectangles
// cut from a token texture and the track of frame numbers a look steps through.
// The caps manager reads all 17 at start-up and keeps them by value.
#pragma once

#include <cstdint>
#include <vector>

class CTokenizer;

// A frame rectangle in texture units (0..1): top-left and bottom-right corners.
struct CCapRect
{
    float left;
    float top;
    float right;
    float bottom;
};

class CCapsAnimation
{
public:
    enum
    {
        kCount = 17,        // animations in the file
        kSpecial = 7,       // steel and the other special tokens
        kFirstCardFace = 8, // memory-card faces 8..16
    };

    // Error codes a failing block ends with.
    enum
    {
        kErrorEndOfFile = 0,
        kErrorToken = 1,
        kErrorFrameNumber = 2,
    };

    CCapsAnimation();

    // Reads one block (TEXTURESIZE, FRAME records, TRACK ( ... )); 1 when it
    // was read, 0 after logging why not.
    int Parse(CTokenizer& tokenizer);

    // The frame drawn at a track position; positions outside the track are
    // held at its ends. Null when the animation has no track.
    const CCapRect* FrameAt(int32_t trackPosition) const;

    std::vector<CCapRect> frames;
    std::vector<int32_t> track;

private:
    void ReadBlock(CTokenizer& tokenizer);
};

// The animation a look value draws with: colours 0..6 their own, memory-card
// looks 20..28 the faces 8..16, marked colours 50..56 their colour's. Every
// other value (steel 100, the special kinds, or a stray colour from a list or
// a save) is drawn as a special token, so no value reaches past the 17.
int32_t GetCapAnimationIndex(int32_t lookValue);
