// CAdviserInterface: the adviser's hint display, a member of the play field.
// While the hint time that an adviser bonus bought runs, arrows bob over the
// tokens of a possible move and a counter on the play screen shows the whole
// seconds left (its halo turning); the board's hint panel is inactive
// meanwhile. The board switches it on, updates it every frame, hands it the
// group its own search found and clears it; the game's hint button places
// single timed arrows with ShowHint.
#pragma once

#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CKMStatic;
class CKMWindow;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CAdviserInterface
{
public:
    CAdviserInterface();
    ~CAdviserInterface();

    CAdviserInterface(const CAdviserInterface&) = delete;
    CAdviserInterface& operator=(const CAdviserInterface&) = delete;

    // The counter label, the panel made inactive while hints run, the arrow
    // picture ("Bonus4") and the sprite list the arrows are drawn in.
    void SetResources(CRefPtr<CKMStatic> counter, CRefPtr<CKMWindow> hintPanel, CRefPtr<CTexture> arrows,
                      CRefPtr<CSpriteList> list);

    // With on set, starts the hint time when idle and adds the amount to it;
    // with on clear, ends a running hint time (the counter fades out).
    void AddTime(int32_t on, float amount);
    // -1 when the board should search for the hint again (every Refresh
    // seconds while the hint time runs), 3 on the frame the display closes,
    // 2 otherwise.
    int Update(float dt);
    // Arrows over the given places (screen centres of the cells of one
    // group); arrows already standing over one of them stay.
    void ShowGroupHint(const std::vector<Vec3>& places);
    // One arrow at (x, y) that shrinks to the group arrows' size in a tenth
    // of its time and goes after `time` seconds.
    void ShowHint(float x, float y, float time);
    // Takes every hint off the board.
    void Reset();

    // Where the hint shows, for panning its sound.
    float HintX() const { return groupArrowPlaces.empty() ? 0.0f : groupArrowPlaces.front().x; }

    int32_t active = 0;
    CRefPtr<CKMStatic> counterLabel;
    CRefPtr<CKMWindow> panel;
    CRefPtr<CTexture> texture;
    CRefPtr<CSpriteList> spriteList;
    float fadeSpeed = 10.0f;
    float remaining = 0.0f;
    int32_t shownNumber = -1;
    int32_t fadeDirection = 0;
    float counterAlpha = 0.0f;
    float haloAngle = 0.0f;
    float refreshTimer = 0.0f;
    float arrowPhase = 0.0f;
    std::vector<Vec3> groupArrowPlaces;
    std::vector<CRefPtr<CSpriteShape>> groupArrows;
    std::vector<Vec3> timedArrowPlaces;
    std::vector<CRefPtr<CSpriteShape>> timedArrows;
    std::vector<float> arrowTimers;

private:
    bool Ready() const;
    CRefPtr<CSpriteShape> MakeArrow(float x, float y, float width, float height);
    void WriteCounter(float seconds);
    void DropGroupArrows();
    void UpdateTimedArrows(float dt);
    // Counts the hint time down; at its end the arrows go and the counter fades.
    void CountDown(float dt);
};
