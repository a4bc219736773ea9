// CShop: the upgrade shop between levels, where Golden Stars buy bonus and totem
// levels. The game makes it in Init and holds it through CRefPtr; the play update
// runs it while the "Shop" form shows.
//
// For now it keeps what the quest needs of it: the sixteen item levels, the free
// stars, and the fade of its screen, whose end completes a pending action (the
// game then autosaves). The shop's own pictures and star dragging come with it.
#pragma once

#include <array>
#include <cstdint>

class CLevelParams;

class CShop
{
public:
    static constexpr int kItemCount = 16;
    // An item's level, from locked (-1) to the highest the shop shows.
    static constexpr int32_t kItemLevelMin = -1;
    static constexpr int32_t kItemLevelMax = 4;

    // Prepares the shop for a level: show (1) fades its screen in over `time`.
    void Refresh(int show, float time, int level)
    {
        forLevel = level;
        fadeSpeed = time > 0.0f ? 1.0f / time : 0.0f;
        if (!show)
        {
            display = 0.0f;
            fading = 0;
            return;
        }
        display = fadeSpeed > 0.0f ? 0.0f : 1.0f;
        fading = fadeSpeed > 0.0f ? 1 : 0;
    }

    // 1 on the frame on which the screen has faded fully in (a pending action is done).
    int Update(float dt, float, float)
    {
        if (!fading)
            return 0;
        display += dt * fadeSpeed;
        if (display < 1.0f)
            return 0;
        display = 1.0f;
        fading = 0;
        return 1;
    }

    void OnMouseDown(float, float) {}
    void OnMouseUp(float, float) {}

    // Buys (1) or sells (0) one level of an item.
    void OnClick(int item, int buying)
    {
        if (item < 0 || item >= kItemCount)
            return;
        if (buying && stars > 0 && items[size_t(item)] < 3)
        {
            ++items[size_t(item)];
            --stars;
        }
        else if (!buying && items[size_t(item)] > 0)
        {
            --items[size_t(item)];
            ++stars;
        }
    }

    int CountStars() const { return stars; }
    // Nonzero when some item can still take a star.
    int CanTakeStar() const
    {
        for (int32_t level : items)
            if (level < 3)
                return 1;
        return 0;
    }
    void SettlePendingStars() {}
    void ResetItems() { items.fill(0); }
    void UnlockForLevel(int) {}
    void ApplyToLevel(CLevelParams&) const {}
    void ApplyTotemLevels() {}

    std::array<int32_t, kItemCount> items = {};
    int32_t stars = 0;
    float display = 0.0f;   // the screen's fade, 1 when fully shown
    float fadeSpeed = 0.0f;
    int32_t fading = 0;
    int32_t forLevel = 0;
};
