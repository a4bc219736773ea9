// Tokens: CCap, one coloured piece of the board, and CCapList, the play field's
// flat list of every token. The list makes and removes the tokens' looks in the
// caps manager, moves and wobbles every token each frame, answers mouse hit
// tests and reports tokens that arrive at the end of their moves. A token knows
// nothing of cells beyond the column and row it passes on to its bonus.
#pragma once

#include "board/CapRider.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <utility>
#include <vector>

class CCapFrame;
class CCapsManager;
class CSoundBank;

class CCap
{
public:
    enum
    {
        kResting = 0,
        kMoving = 1,      // reports arrival with 1, and 3 once on the way when armed
        kMovingAway = 2,  // reports arrival with 2
        kParked = 3,
    };
    enum
    {
        kPlaced = 100,
        kNew = 101,
    };
    enum
    {
        kSteel = 100,
        kSpecial = 98,
    };
    // What a token does when its move ends.
    enum
    {
        kArrivalNone = 0,
        kArrivalActivate = 1,
        kArrivalLeave = 2,
    };
    // Codes of CCap::Update.
    enum
    {
        kEventNone = 0,
        kEventArrived = 1,
        kEventLeft = 2,
        kEventMidpoint = 3,
    };

    CCap();
    ~CCap();
    CCap(const CCap&) = delete;
    CCap& operator=(const CCap&) = delete;

    int Update(float dt, bool wobble, bool snap);
    // One cubic segment from the drawn position to the end point.
    static void StartMove(const CRefPtr<CCap>& cap, float x, float y, float z, float duration, float s0x,
                          float s0y, float s0z, float s1x, float s1y, float s1z);
    void ArmMidpointEvent();
    void SetLockCount(int32_t n);
    // The bonus the token carries (an empty handle for none), which takes the
    // token's colour as it boards.
    void SetHeld(const CRefPtr<CCapRider>& bonus)
    {
        held = bonus;
        if (held)
            held->TakeColour(colour);
    }
    uint32_t GetColorArgb() const;

    int32_t state = kResting;
    int32_t placement = kNew;  // only placed tokens take part in hit tests and picks
    int32_t active = 0;
    int32_t lockCount = 0;
    int32_t fixed = 0;
    CRefPtr<CCapFrame> look;
    int32_t originTag = 0;
    float offset[3] = {0.0f, 0.0f, 0.0f};
    float position[3] = {0.0f, 0.0f, 0.0f};
    float drawnPosition[3] = {0.0f, 0.0f, 0.0f};
    float radius = 32.0f;
    float pathTime = 0.0f;
    float pathDuration = 1.0f;
    CMotionPath path;
    int32_t arrival = 0;  // 1 becomes active, 2 leaves the board
    int32_t column = 0;
    int32_t row = 0;
    int32_t previousColumn = 0;
    int32_t previousRow = 0;
    int32_t colour = 0;
    int32_t marked = 0;
    float wobblePhase = 0.0f;
    float wobbleAmplitude = 0.0f;
    CRefPtr<CCapRider> held;  // the bonus the token carries, as the token sees it
    int32_t midpointArmed = 0;
    int32_t midpointSent = 0;
};

// The look value a token of this colour draws with: colours 0..6 their own
// (marked ones 50 above), every other colour the special look.
int32_t GetCapLookValue(int32_t colour, int32_t marked);

class CCapList
{
public:
    CCapList();
    ~CCapList();
    CCapList(const CCapList&) = delete;
    CCapList& operator=(const CCapList&) = delete;

    void CreateCap(CRefPtr<CCap>& out, int32_t colour, int32_t marked, float x, float y, float z, float radius,
                   int32_t originTag, float ox, float oy, float oz);
    int Add(const CRefPtr<CCap>& cap);
    void Remove(const CRefPtr<CCap>& cap, bool removeLook);
    void SetColour(const CRefPtr<CCap>& cap, int32_t colour);
    void SetMarked(const CRefPtr<CCap>& cap, int32_t marked);
    void SetOriginByTag(float x, float y, float z, int32_t tag);
    void HitTest(CRefPtr<CCap>& out, float x, float y);
    void PickRandomPlainCap(CRefPtr<CCap>& out);
    bool IsIdle() const;
    int Update(float dt, float mouseX, float mouseY);
    void Clear();

    std::vector<CRefPtr<CCap>> caps;
    CRefPtr<CCapsManager> capsManager;
    std::vector<std::pair<CRefPtr<CCap>, int32_t>> events;
    int32_t snapToPixels = 0;
    CRefPtr<CSoundBank> soundBank;
    float soundTimer = 10.0f;
};
