// CKMScroller: a slider. The track is the picture (sprite 0) and the thumb is
// sprite 1; a left press anywhere on the track jumps the thumb there and a drag
// moves it, clamped to the travel, each reporting a value-changed record (kind
// 13) with the value in [0, 1]. The program sets the value with SetValue. Made
// by the form loader from SCROLLER elements (the options volumes).
#pragma once

#include "ui/KMStatic.h"

class CKMScroller : public CKMStatic
{
public:
    CKMScroller(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);

    int32_t SetActive(int32_t flag) override;
    int OnMouseDown(float x, float y, int button) override;
    int OnMouseMove(float x, float y, float dt) override;

    // The track from the first rectangle, the thumb from the second, of the
    // given size at scale 1.
    virtual void Create(CRefPtr<CTexture> texture, float trackUMin, float trackVMin, float trackUMax,
                        float trackVMax, float thumbUMin, float thumbVMin, float thumbUMax, float thumbVMax,
                        float thumbW, float thumbH);
    virtual void BuildSprites(CRefPtr<CTexture> texture, float u0, float v0, float u1, float v1, float u2,
                              float v2, float u3, float v3, float thumbW, float thumbH);
    // The thumb frame shown while inactive.
    virtual void SetThumbFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3);
    // The thumb's offset from the centre, in base units.
    virtual KMVec2 GetThumbPosition();
    // Stores the value as given (no clamping), moves the thumb, queues nothing.
    virtual float SetValue(float value);

    int32_t horizontal = 1;
    float value = 0.0f;
    KMSize thumbSize{0.1f, 0.1f};
    float travelFactor = 0.9f;
    KMVec2 centreShift{0, 0};
    int32_t thumbDisabledFrame = -1;

private:
    void MoveThumb();
    // The value under a point given in base units, clamped to [0, 1].
    void TakeValue(float lx, float ly);
};
