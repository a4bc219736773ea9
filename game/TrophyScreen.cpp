// The trophy screen: the Trophies form's icons by the levels shown, the description
// under the mouse, the scrolling background, the black backdrop over the board and the
// award animation, in which a copy of the trophy's icon spirals onto it with a spell
// trail, lands with a flash and a spinning sparkle, and only then counts as earned.
#include "game/TrophyScreen.h"

#include "engine/MathConstants.h"

#include "game/GamePanels.h"
#include <cmath>

#include "audio/SoundBank.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/Interface.h"
#include "ui/KMStatic.h"

namespace {


// Groups of the Trophies form: per trophy its icon and empty slot; the icons come
// first in a group and the empty slot is its last widget.
const WidgetList& TrophyGroup(const CInterface& ui, int trophy)
{
    return ui.Group(kFormTrophies, trophy).widgets;
}

}  // namespace

CRefPtr<CKMWindow> CTrophyScreen::LevelIcon(int trophy, int level) const
{
    // Icons come from the form file: a trophy or level outside what it holds has none.
    if (!ui || trophy < 0 || trophy >= kTrophyCount || level < 1)
        return CRefPtr<CKMWindow>();
    const WidgetList& group = TrophyGroup(*ui, trophy);
    if (group.size() < 2)
        return CRefPtr<CKMWindow>();
    const size_t icons = group.size() - 1;
    // A form with fewer icons than levels shows its last icon for the higher levels.
    const size_t index = static_cast<size_t>(level - 1) < icons ? static_cast<size_t>(level - 1) : icons - 1;
    return group[index];
}

void CTrophyScreen::RefreshIcons()
{
    if (!ui || !record)
        return;
    for (int t = 0; t < kTrophyCount; ++t)
    {
        const WidgetList& group = TrophyGroup(*ui, t);
        if (group.empty())
            continue;
        const int32_t shown = t < static_cast<int>(record->displayedLevels.size()) ? record->displayedLevels[size_t(t)] : 0;
        const CRefPtr<CKMWindow> icon = LevelIcon(t, shown);
        for (size_t i = 0; i + 1 < group.size(); ++i)
            group[i]->SetVisible(group[i] == icon ? 1 : 0);
        group.back()->SetVisible(icon ? 0 : 1);
    }
    ShowDescription(0, -1, 0.0f, 0.0f);
}

void CTrophyScreen::ShowDescription(int32_t trophy, int32_t level, float x, float y)
{
    if (!ui || !record)
        return;
    const WidgetList& rows = ui->List(kFormTrophies, 0);
    if (level < 1)
    {
        for (const CRefPtr<CKMWindow>& row : rows)
            row->SetVisible(0);
        return;
    }
    CRefPtr<CKMForm> form = ui->Form("Trophies");
    const std::vector<std::vector<float>>& points = ui->Block(kFormTrophies).points;
    const std::vector<float> none;
    const std::vector<float>& offsets = points.empty() ? none : points[0];
    const float fx = std::floor(x), fy = std::floor(y);
    for (size_t i = 0; i < rows.size() && i * 2 + 1 < offsets.size(); ++i)
    {
        if (form)
            form->SetChildPosition(rows[i], fx + offsets[i * 2], fy + offsets[i * 2 + 1], rows[i]->localPosition.z);
        rows[i]->SetVisible(1);
    }
    if (!rows.empty())
        SetWidgetText(rows[0], record->GetDescription(trophy, level).c_str());
}

void CTrophyScreen::ShowBackdrop(bool on)
{
    if (!backdropList)
        return;
    if (!on && backdropShape)
    {
        backdropList->Remove(backdropShape);
        backdropShape.Reset();
    }
    else if (on && !backdropShape)
    {
        CRefPtr<CKMForm> form = ui ? ui->Form("Trophies") : CRefPtr<CKMForm>();
        const float z = form ? form->worldPosition.z + 2.0f : 0.0f;
        backdropShape = CRefPtr<CSpriteShape>(new CSpriteShape(0.0f, 0.0f, z, 1024.0f, 768.0f, 0xFF000000u, backdropTexture, 1));
        backdropShape->SetBlendMode(1, 0);  // plain black over the board
        backdropShape->zOrder = 100000;
        backdropList->Add(backdropShape);
    }
}

void CTrophyScreen::ApplyPending()
{
    DropAward();
    if (record)
        record->ApplyPending();
    phase = TrophyAwardPhase::Flying;
    timer = 0.0f;
    RefreshIcons();
}

void CTrophyScreen::DropAward()
{
    if (awardShape)
    {
        if (awardList)
            awardList->Remove(awardShape);
        awardShape.Reset();
    }
    if (awardEffect)
    {
        awardEffect->StopEmission();
        awardEffect.Reset();
    }
}

int32_t CTrophyScreen::Update(float dt, float mouseX, float mouseY)
{
    if (!ui || !record)
        return 0;
    CRefPtr<CKMForm> form = ui->Form("Trophies");
    if (!form)
        return 0;
    if (form->visible)
        DriftBackground(dt);
    if (!form->visible || !form->enabled || !form->active)
        return 0;
    if (!record->pending.empty() && UpdateAward(dt))
        return 1;
    ShowDescriptionUnder(mouseX, mouseY);
    return 0;
}

void CTrophyScreen::DriftBackground(float dt)
{
    // The background picture drifts, wrapping once each way.
    CRefPtr<CKMWindow> background = ui->Widget(kFormTrophies, 0);
    if (!background || background->sprites.empty() || background->sprites[0]->frames.size() < 4)
        return;
    CSpriteShape& shape = *background->sprites[0];
    float u = shape.frames[0].u + dt * record->backgroundSpeed[0];
    float v = shape.frames[0].v + dt * record->backgroundSpeed[1];
    if (u < 0.0f)
        u += 1.0f;
    if (u >= 1.0f)
        u -= 1.0f;
    if (v < 0.0f)
        v += 1.0f;
    if (v >= 1.0f)
        v -= 1.0f;
    const float w = record->backgroundSize[0], h = record->backgroundSize[1];
    shape.SetFrameUV4(0, u, v, u + w, v, u + w, v + h, u, v + h);
}

bool CTrophyScreen::UpdateAward(float dt)
{
    // The first pending award flies in a spiral onto its icon, flashes there, and
    // after a pause the next one starts.
    const TrophyAward award = record->pending.front();
    const CRefPtr<CKMWindow> icon = LevelIcon(award.trophy, award.level);
    if (!icon)
    {
        // Nothing to fly: the award counts at once.
        if (award.trophy >= 0 && award.trophy < kTrophyCount)
            record->levels[size_t(award.trophy)] = record->displayedLevels[size_t(award.trophy)] = award.level;
        record->pending.erase(record->pending.begin());
        phase = TrophyAwardPhase::Flying;
        timer = 0.0f;
        RefreshIcons();
        return true;
    }
    const float pompa = record->pompaTime > 0.0f ? record->pompaTime : 0.001f;
    if (!awardShape && phase == TrophyAwardPhase::Flying)
        StartAwardFlight(*icon, pompa);
    timer += dt;
    if (phase == TrophyAwardPhase::Flying)
    {
        FlyAward(award, *icon, pompa);
        return false;
    }
    if (timer < record->postTime)
        return false;
    record->pending.erase(record->pending.begin());
    timer = 0.0f;
    phase = TrophyAwardPhase::Flying;
    return true;
}

void CTrophyScreen::StartAwardFlight(const CKMWindow& icon, float pompa)
{
    const float x = icon.worldPosition.x, y = icon.worldPosition.y, z = icon.worldPosition.z;
    const float w = icon.baseSize.w, h = icon.baseSize.h;
    CRefPtr<CTexture> texture = icon.sprites.empty() ? CRefPtr<CTexture>() : icon.sprites[0]->texture;
    awardShape = CRefPtr<CSpriteShape>(new CSpriteShape(x + w, y, z - 5.0f, 4.0f * w, 4.0f * h, 0xFFFFFFFFu, texture, 1));
    if (!icon.sprites.empty() && icon.sprites[0]->frames.size() >= 4)
    {
        const std::vector<CUV>& f = icon.sprites[0]->frames;
        awardShape->SetFrameUV4(0, f[0].u, f[0].v, f[1].u, f[1].v, f[2].u, f[2].v, f[3].u, f[3].v);
    }
    if (!icon.sprites.empty())
        awardShape->zOrder = icon.sprites[0]->zOrder - 5;
    awardShape->SetAlpha(0.0f);
    awardShape->fadeSpeed = 2.0f / pompa;
    awardShape->FadeTo(1.0f);
    awardShape->scaleSpeedX = 0.75f * 4.0f * w / pompa;
    awardShape->scaleSpeedY = 0.75f * 4.0f * h / pompa;
    awardShape->SetScaleTarget(w, h);
    if (awardList)
        awardList->Add(awardShape);
    if (awardEffect)
        awardEffect->StopEmission();
    awardEffect.Reset();
    if (effects)
    {
        CSpellsSpringParametres block(Vec3{x + w, y, z - 5.0f}, Vec3{0.0f, 0.0f, 0.0f}, 100.0f, 50.0f, 32.0f,
                                      16.0f, 0xFFFFFF80u);
        block.fadeRate = 1.0f;
        block.fadeSpread = 0.25f;
        block.timed = 0;
        block.duration = 10000000.0f;
        block.count = 80;
        block.rate = 512.0f;
        effects->AddSpellsSystem(awardEffect, block, 200, spellTexture);
    }
    if (sounds)
        sounds->Play(sounds->Trophy, 0, 0);
    timer = 0.0f;
    phase = TrophyAwardPhase::Flying;
}

void CTrophyScreen::FlyAward(const TrophyAward& award, const CKMWindow& icon, float pompa)
{
    const float x = icon.worldPosition.x, y = icon.worldPosition.y, z = icon.worldPosition.z;
    const float w = icon.baseSize.w, h = icon.baseSize.h;
    const float s = timer / pompa < 1.0f ? timer / pompa : 1.0f;
    const float angle = 3.0f * kPi * s;
    const float px = x + (1.0f - s) * w * std::cos(angle), py = y + (1.0f - s) * h * std::sin(angle);
    if (awardShape)
        awardShape->position = Vec3{px, py, z - 5.0f};
    if (awardEffect)
        awardEffect->MoveTo(px, py, z - 5.0f);
    if (s < 1.0f)
        return;
    record->levels[size_t(award.trophy)] = record->displayedLevels[size_t(award.trophy)] = award.level;
    RefreshIcons();
    DropAward();
    FlashLandedAward(x, y, z, w / 2.0f);
    if (sounds)
        sounds->Play(sounds->GoodClick, 0, 0);
    timer = 0.0f;
    phase = TrophyAwardPhase::Landed;
}

void CTrophyScreen::FlashLandedAward(float x, float y, float z, float r)
{
        const float post = record->postTime > 0.0f ? record->postTime : 0.001f;
        CRefPtr<CSpriteShape> flash(new CSpriteShape(x, y, z - 6.0f, r, r, 0xFFFFFF80u, flashTexture, 1));
        flash->SetBlendMode(1, 1);
        flash->SetAlpha(1.0f);
        flash->fadeSpeed = 1.0f / post;
        flash->FadeTo(0.0f);
        flash->scaleSpeedX = flash->scaleSpeedY = 5.0f * r / post;
        flash->SetScaleTarget(6.0f * r, 6.0f * r);
        flash->mortal = 1;
        flash->life = post;
        if (awardList)
            awardList->Add(flash);
        if (sparkleBatch)
        {
            CRefPtr<CBatchSprite> sparkle(new CBatchSprite(x, y, z - 7.0f, sparkleTexture, 0xFFFF80FFu));
            sparkle->SetScale(3.0f * r, 3.0f * r);
            sparkle->flickerAmplitude = 0.0f;
            sparkle->fadeInTime = 0.2f * post;
            sparkle->fadeOutTime = 0.5f * post;
            sparkle->holdEnd = post;
            sparkle->SetSpin(RandomUnit() * 2.0f * kPi, kPi, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
            sparkleBatch->Add(sparkle);
        }
}

void CTrophyScreen::ShowDescriptionUnder(float mouseX, float mouseY)
{
    for (int t = 0; t < kTrophyCount; ++t)
    {
        const int32_t level = record->levels[size_t(t)];
        const CRefPtr<CKMWindow> icon = LevelIcon(t, level);
        if (level < 1 || !icon)
            continue;
        const float dx = mouseX - icon->worldPosition.x, dy = mouseY - icon->worldPosition.y;
        if (std::sqrt(dx * dx + dy * dy) < (icon->baseSize.w + icon->baseSize.h) / 4.0f)
        {
            ShowDescription(t, level, mouseX, mouseY);
            return;
        }
    }
    ShowDescription(0, -1, mouseX, mouseY);
}
