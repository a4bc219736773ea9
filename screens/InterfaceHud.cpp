// CInterface: the play screen's counters, the time gauge, the side and icon panels,
// the warning pulse and the frame's animations; the shop's dial.
#include "screens/Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/SoundBank.h"
#include "render/SpriteShape.h"
#include "screens/InterfaceParts.h"
#include "hud/QuestLayout.h"
#include "ui/KMStatic.h"

using namespace interface_detail;

void CInterface::SetCounter(int value, int countUp)
{
    if (questMode)
        return;
    lastCounter = value;
    targetScore = value;
    if (!countUp)
    {
        shownScore = value;
        scoreValue = float(value);
        scoreSpeed = 0.0f;
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%d", shownScore);
    if (CRefPtr<CKMWindow> w = Widget(kFormQuest, 6))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
}

void CInterface::SetCounters(int first, int second, float t)
{
    lastCounter = first;
    SetCounter(first, 0);
    secondCounter = second;
    char text[32];
    std::snprintf(text, sizeof(text), "%d", second);
    if (CRefPtr<CKMWindow> w = Widget(kFormQuest, 7))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
    PoseTimeGauge(t, 1);
    const WidgetList& warning = List(kFormQuest, 2);
    if (warning.size() > 1)
        warning[1]->SetVisible(0);
}

namespace {

// Cuts four quarter widgets (top-left, bottom-left, bottom-right, top-right) to the
// sector that turns counter-clockwise from 12 o'clock through 2 pi t; the texture
// coordinates follow the corners, mapped into the rectangle (u0, v0) + size * (u, v).
void PoseQuarters(const WidgetList& quarters, float t, float u0, float v0, float size)
{
    if (quarters.size() < 4)
        return;
    const float kQuarter = 1.5707964f;
    const float theta = 6.2831855f * t;
    const int shownCount = t <= 0.25f ? 1 : t <= 0.5f ? 2 : t <= 0.75f ? 3 : 4;
    for (int k = 0; k < 4; ++k)
    {
        CKMWindow& w = *quarters[size_t(k)];
        w.SetVisible(k < shownCount ? 1 : 0);
        if (k >= shownCount || w.sprites.empty() || !w.sprites[0])
            continue;
        float c[8];
        if (k < shownCount - 1)
            std::copy(kQuarterCorners[k], kQuarterCorners[k] + 8, c);
        else
        {
            // The figure of the top-left quarter, turned k quarter turns about the centre.
            const float alpha = std::max(0.0f, std::min(kQuarter, theta - k * kQuarter));
            if (alpha <= kQuarter * 0.5f)
            {
                const float f[8] = {-0.5f * std::tan(alpha), 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f};
                std::copy(f, f + 8, c);
            }
            else
            {
                const float f[8] = {-0.5f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, -0.5f, 0.5f * std::tan(kQuarter - alpha)};
                std::copy(f, f + 8, c);
            }
            for (int turn = 0; turn < k; ++turn)
                for (int i = 0; i < 4; ++i)
                {
                    const float x = c[i * 2], y = c[i * 2 + 1];
                    c[i * 2] = -y;
                    c[i * 2 + 1] = x;
                }
        }
        CSpriteShape& sprite = *w.sprites[0];
        sprite.SetCorners(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        float uv[8];
        for (int i = 0; i < 4; ++i)
        {
            uv[i * 2] = u0 + size * (c[i * 2] + 0.5f);
            uv[i * 2 + 1] = v0 + size * (0.5f - c[i * 2 + 1]);
        }
        sprite.SetFrameUV4(0, uv[0], uv[1], uv[2], uv[3], uv[4], uv[5], uv[6], uv[7]);
        sprite.currentFrame = 0;
    }
}

} // namespace

void CInterface::PoseTimeGauge(float t, int setTarget)
{
    t = std::max(0.0f, std::min(1.0f, t));
    gaugePosition = t;
    if (setTarget)
        gaugeTarget = t;
    const WidgetList& quarters = List(kFormQuest, 0);
    if (quarters.size() < 4)
        return;
    PoseQuarters(quarters, t, 0.0f, 0.0f, 1.0f);
    const float theta = 6.2831855f * t;
    const WidgetList& hands = List(kFormQuest, 1);
    for (const CRefPtr<CKMWindow>& hand : hands)
        if (hand && !hand->sprites.empty())
            hand->sprites[0]->SetRotation(theta + (questLayout ? questLayout->globalAngle : 0.0f));

    // The tint goes from green through yellow to red as the time runs out.
    if (!questLayout)
        return;
    const CQuestLayout& q = *questLayout;
    float rgb[3];
    auto mix = [&](const float* a, const float* b, float s) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = a[i] * (1.0f - s) + b[i] * s;
    };
    if (t >= q.greenEnd)
        mix(q.green, q.green, 0.0f);
    else if (t >= q.yellowEnd)
        mix(q.yellow, q.green, (t - q.yellowEnd) / (q.greenEnd - q.yellowEnd));
    else if (t >= q.redEnd)
        mix(q.red, q.yellow, (t - q.redEnd) / (q.yellowEnd - q.redEnd));
    else
        mix(q.red, q.red, 0.0f);
    const uint32_t colour = q.gaugeAlpha | (uint32_t(std::floor(rgb[0])) << 16) | (uint32_t(std::floor(rgb[1])) << 8) |
                            uint32_t(std::floor(rgb[2]));
    for (const CRefPtr<CKMWindow>& w : quarters)
        w->SetColor(colour);
}

void CInterface::SetPanelVisible(int skip, int show)
{
    if (skip)
        return;
    for (const CRefPtr<CKMWindow>& w : List(kFormQuest, 4))
        w->SetVisible(show ? 1 : 0);
    if (CRefPtr<CKMWindow> frame = Widget(kFormQuest, 203))
        frame->SetVisible(show ? 1 : 0);
}

void CInterface::SetIconPanelVisible(int show)
{
    // The panel is the frame behind the life icons and the marker that points at the
    // life to spend; the icons themselves show the lives the player has and stay.
    if (CRefPtr<CKMWindow> frame = Widget(kFormQuest, 105))
        frame->SetVisible(show ? 1 : 0);
    const WidgetList& icons = List(kFormQuest, 5);
    const WidgetList& markers = List(kFormQuest, 6);
    int lit = -1;
    if (show)
        for (int i = int(markers.size()) - 1; i >= 0 && lit < 0; --i)
            if (size_t(i) < icons.size() && icons[size_t(i)]->visible)
                lit = i;
    for (size_t i = 0; i < markers.size(); ++i)
        markers[i]->SetVisible(int(i) == lit ? 1 : 0);
}

bool CInterface::IsIconPanelShown() const
{
    const CRefPtr<CKMWindow> frame = Widget(kFormQuest, 105);
    return frame && frame->visible;
}

void CInterface::ShowFirstIcons(int n)
{
    const WidgetList& icons = List(kFormQuest, 5);
    for (size_t i = 0; i < icons.size(); ++i)
        icons[i]->SetVisible(int(i) < n ? 1 : 0);
}

void CInterface::Animate(float dt)
{
    // The score counts toward its target, faster the longer it runs.
    if (shownScore != targetScore)
    {
        const float target = float(targetScore);
        if (targetScore > shownScore)
        {
            scoreSpeed = std::max(scoreSpeed, 1000.0f) + 1000.0f * dt;
            scoreValue += scoreSpeed * dt;
            shownScore = int32_t(std::floor(scoreValue));
            if (scoreValue >= target)
                shownScore = targetScore, scoreValue = target, scoreSpeed = 0.0f;
        }
        else
        {
            scoreSpeed = std::min(scoreSpeed, -1000.0f) - 1000.0f * dt;
            scoreValue += scoreSpeed * dt;
            shownScore = int32_t(std::floor(scoreValue));
            if (scoreValue <= target)
                shownScore = targetScore, scoreValue = target, scoreSpeed = 0.0f;
        }
        char text[32];
        std::snprintf(text, sizeof(text), "%d", shownScore);
        if (CRefPtr<CKMWindow> w = Widget(kFormQuest, 6))
            if (!questMode)
                static_cast<CKMStatic*>(w.Get())->SetString(text);
    }

    if (!questMode)
    {
        if (gaugePosition != gaugeTarget)
        {
            if (gaugePosition > gaugeTarget)
                gaugePosition = std::max(gaugeTarget, gaugePosition - gaugeSpeed * dt);
            else
                gaugePosition = std::min(gaugeTarget, gaugePosition + gaugeSpeed * dt);
            PoseTimeGauge(gaugePosition, 0);
        }
        const WidgetList& warning = List(kFormQuest, 2);
        if (warningActive && warning.size() >= 2)
        {
            warningTime += dt;
            if (warningTime >= 0.75f)
            {
                warningActive = 0;
                warningPhase = warningTime = 0.0f;
                warning[1]->SetVisible(0);
                warning[0]->SetColor(0xFFFFFFFFu);
            }
            else
            {
                warningPhase += 25.132742f * dt;
                const float a = (1.0f - std::cos(warningPhase)) * 0.5f;
                warning[1]->SetAlpha(a);
                const uint32_t grey = uint32_t(std::floor(32.0f + 223.0f * a));
                warning[0]->SetColor(0xFF000000u | grey << 16 | grey << 8 | grey);
            }
        }
    }

    // The click-here pointer bobs over its point while the tip shows.
    CRefPtr<CKMForm> tutorial = FormAt(kFormTutorial);
    const CFormBlock& tips = blocks[kFormTutorial];
    if (tutorial && tutorial->visible && tips.groups.size() > 4 && !tips.groups[4].widgets.empty() &&
        tips.groups[4].widgets[0]->visible && questLayout)
    {
        arrowPhase += questLayout->clickHereW * dt;
        if (arrowPhase > 6.2831855f)
            arrowPhase -= 6.2831855f;
        PlaceClickHereTip(arrowBaseX, arrowBaseY - questLayout->clickHereA * std::sin(arrowPhase));
    }

    // "Click to continue" blinks on the won level, the quest's end and the newspaper.
    struct Blink
    {
        int form;
        int list;
        int timer;
        float period;
    };
    const Blink blinks[] = {{kFormBackground, 0, 0, 3.0f}, {kFormWin, 0, 1, 2.0f}, {kFormNewspaper, 0, 1, 2.0f}};
    for (const Blink& b : blinks)
    {
        CRefPtr<CKMForm> form = FormAt(b.form);
        const WidgetList& list = List(b.form, b.list);
        if (!form || !form->visible || !form->enabled || list.empty())
            continue;
        blinkTimers[b.timer] += dt;
        if (blinkTimers[b.timer] > b.period)
        {
            if (list[0]->visible)
                FadeOutGroup(list, 1.0f);
            else
                FadeInGroup(list, 1.0f);
            blinkTimers[b.timer] = 0.0f;
        }
    }
}

void CInterface::SetGaugeTarget(float t)
{
    gaugeTarget = std::max(0.0f, std::min(1.0f, t));
}

void CInterface::SetWarningPulse(int on)
{
    const WidgetList& warning = List(kFormQuest, 2);
    if (!on)
    {
        warningActive = 0;
        warningPhase = warningTime = 0.0f;
        return;
    }
    if (!warningActive && warning.size() >= 2)
    {
        warning[1]->SetVisible(1);
        warning[1]->SetAlpha(0.0f);
    }
    warningTime = 0.0f;
    warningActive = 1;
    if (soundBank)
        soundBank->Play(soundBank->Warning, 0, 0);
}

void CInterface::TintShopList(int tinted, float factor)
{
    const CFormBlock& block = blocks[kFormShop];
    if (tinted < 0 || size_t(tinted) >= block.colours.size() || size_t(tinted) + 2 >= block.lists.size())
        return;
    // Tinted lists A, B and C are the form's lists 2, 3 and 4.
    const WidgetList& widgets = block.lists[size_t(tinted) + 2];
    const std::vector<uint32_t>& colours = block.colours[size_t(tinted)];
    const std::vector<std::vector<uint32_t>>& textColours = block.textColours[size_t(tinted)];
    const auto scaled = [factor](uint32_t colour) {
        const float a = std::floor(float(colour >> 24) * std::max(0.0f, std::min(1.0f, factor)) + 0.5f);
        return uint32_t(a) << 24 | (colour & 0xFFFFFFu);
    };
    for (size_t i = 0; i < widgets.size() && i < colours.size(); ++i)
    {
        CKMWindow* w = widgets[i].Get();
        if (!w)
            continue;
        w->SetColor(scaled(colours[i]));
        for (size_t k = 0; i < textColours.size() && k < textColours[i].size() && k < w->texts.size(); ++k)
            if (CText* text = w->texts[k].Get())
            {
                text->colour = scaled(textColours[i][k]);
                text->PlaceCharacters();
            }
    }
}

void CInterface::PoseShopGauge(float t)
{
    t = std::max(0.0f, std::min(1.0f, t));
    // The shop's dial lies in a square of its controls picture.
    PoseQuarters(List(kFormShop, 0), t, 0.591796875f, 0.7421875f, 0.171875f);
    for (const CRefPtr<CKMWindow>& hand : List(kFormShop, 1))
        if (hand && !hand->sprites.empty())
            hand->sprites[0]->SetRotation(6.2831855f * t - 1.5707964f);
}
