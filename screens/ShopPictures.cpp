// What the sand-glass upgrade and the bonus items show on the shop screen: a small
// sand glass with golden dust drifting in it and the seconds it is worth written on
// it, and each owned bonus as it looks on the board at its level.
#include "screens/Shop.h"

#include "board/LevelParams.h"
#include "bonuses/BonusManager.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SmokesParticleSystem.h"
#include "engine/StringTable.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/Interface.h"
#include "ui/KMForm.h"

#include <cmath>

namespace {

const int kFirstBonusItem = 10;
const int kStringSeconds = 11;
const size_t kSecondsFormatLength = 79;
const int kDustCapacity = 160;
const float kEndless = 10000000.0f;
const float kDustHeadStart = 0.5f;  // seconds of dust already in the glass when it shows
const float kNoteCharSize = 0.65f;
const float kBonusSize = 34.0f;     // the board's bonus size that fills an item's picture
enum { kListPictures = 8 };

float Seconds(float rate)
{
    return rate > 0.0f ? 1.0f / rate : 0.0f;
}

uint32_t WithAlpha(uint32_t colour, float alpha)
{
    const float a = std::floor(std::fmax(0.0f, std::fmin(1.0f, alpha)) * 255.0f + 0.5f);
    return uint32_t(a) << 24 | (colour & 0xFFFFFFu);
}

// A picture that fades out over `seconds` and then leaves its sprite list.
void FadeAway(CSpriteShape& shape, float seconds)
{
    shape.fadeSpeed = seconds > 0.0f ? 1.0f / seconds : 1.0e6f;
    shape.FadeTo(0.0f);
    shape.mortal = 1;
    shape.life = seconds;
}

}  // namespace

void CShop::LoadSettings(const char* file, const char* section)
{
    char text[256] = "";
    // Without its string the note keeps its own words.
    if (GetStringById(kStringSeconds, text, sizeof(text)) > 0)
        secondsFormat = text;
    if (secondsFormat.size() > kSecondsFormatLength)
        secondsFormat.resize(kSecondsFormatLength);
    settings.Load(file, section);
}

void CShop::SetSandGlass(CRefPtr<CTexture> dust, CRefPtr<CTextSet> texts, CRefPtr<CFont> font)
{
    dustTexture = dust;
    textSet = texts;
    noteFont = font;
}

// The text is data: a "%d" takes the seconds, anything else stays as written.
std::string CShop::SecondsNote(int level) const
{
    return CInterface::FillText(secondsFormat.c_str(), {int(GetScoreStep(level))});
}

void CShop::ShowSecondsNote(int level)
{
    if (!sandNote)
        return;
    sandNote->SetString(SecondsNote(level).c_str());
    sandNote->PlaceCharacters();
}

void CShop::BuildSandGlass(float rate)
{
    DropSandGlass(0.0f);
    const CShopSettings& s = settings;
    const float x = s.sandboxFrontPos[0], y = s.sandboxFrontPos[1], z = layout.z + s.sandboxFrontPos[2];
    const float w = s.sandboxFrontSize[0], h = s.sandboxFrontSize[1];
    // The frame in front, the tinted glass a little nearer and drawn after it.
    CRefPtr<CSpriteShape> front(new CSpriteShape(x, y, z, w, h, 0xFFFFFFFFu, starTexture, 1));
    front->SetFrameUV(0, s.sandboxFrontT[0], s.sandboxFrontT[1], s.sandboxFrontT[2], s.sandboxFrontT[3]);
    front->zOrder = layout.zOrder + s.sandboxFrontZOrderShift;
    CRefPtr<CSpriteShape> glass(new CSpriteShape(x, y, z - 0.1f, w, h, s.sandboxGlassColor, starTexture, 1));
    glass->SetFrameUV(0, s.sandboxGlassT[0], s.sandboxGlassT[1], s.sandboxGlassT[2], s.sandboxGlassT[3]);
    glass->zOrder = front->zOrder - 1;
    for (const CRefPtr<CSpriteShape>& shape : {front, glass})
    {
        shape->SetAlpha(0.0f);
        shape->fadeSpeed = rate > 0.0f ? rate : 1.0e6f;
        shape->FadeTo(1.0f);
        if (sprites)
            sprites->Add(shape);
        sandShapes.push_back(shape);
    }
    if (crackParticles)
    {
        // Golden motes that rise slowly from all along the sand and settle before they
        // reach the glass's ends or its top.
        const float S = s.sandboxDustSize, A = s.sandboxDustAlpha;
        CSmokesSpringParametres dust(Vec3{x, y - h * 0.25f, z - 0.1f + 1.1f}, Vec3{0.0f, 1.0f, 0.0f},
                                     Vec3{1.0f, 0.0f, 0.0f}, w - 1.5f * S, 0.0f, 0.5f, 0.0f, s.sandboxDustColor, 0);
        dust.size = S * 0.5f;
        dust.sizeSpread = S * 0.1f;
        dust.growth = S * 0.1f;
        dust.growthSpread = S * 0.025f;
        dust.growthAcceleration = 0.0f;
        dust.speed = 6.0f;
        dust.speedSpread = 3.0f;
        dust.rise = 0.0f;
        dust.riseSpread = 0.0f;
        dust.fadeRate = A;
        dust.fadeSpread = A * 0.25f;
        dust.fadeInRate = 2.0f * A;
        dust.timed = 1;
        dust.duration = kEndless;
        dust.rate = 40.0f;
        crackParticles->AddSmokesSystem(sandDust, dust, kDustCapacity, dustTexture);
        if (sandDust)
            sandDust->Update(kDustHeadStart);
    }
    if (noteFont)
    {
        sandNote = CRefPtr<CText>(new CText(noteFont));
        sandNote->layer = 12345;  // over the shop's pictures
        sandNote->visible = 1;
        sandNote->colour = s.sandboxNoteColor;
        const float size = noteFont->GetBaseSize() * kNoteCharSize;
        sandNote->SetFontScale(size, size, 0);
        sandNote->alignment = kAlignCentre;
        sandNote->SetReferenceSize(1.0f, 1.0f);
        sandNote->position = Vec3{s.sandboxNote[0], s.sandboxNote[1], layout.z + s.sandboxNote[2]};
        sandNote->alphaFactor = 0.0f;
        if (textSet)
            textSet->Add(sandNote);
        ShowSecondsNote(items.levels[kShopItemSandGlass]);
    }
    DimSandGlass(items.limits[kShopItemSandGlass] < 1);
}

void CShop::DimSandGlass(bool dim)
{
    const float factor = dim ? settings.disabledAlpha : 1.0f;
    if (sandShapes.size() >= 2)
    {
        sandShapes[0]->SetColor(WithAlpha(0xFFFFFFFFu, factor));
        const uint32_t glass = settings.sandboxGlassColor;
        sandShapes[1]->SetColor(WithAlpha(glass, float(glass >> 24) / 255.0f * factor));
    }
    if (CSmokesParticleSystem* dust = dynamic_cast<CSmokesParticleSystem*>(sandDust.Get()))
        dust->strength = settings.sandboxDustAlpha * factor;
    if (sandNote)
    {
        sandNote->colour = WithAlpha(settings.sandboxNoteColor, settings.sandboxNoteAlpha * factor);
        sandNote->PlaceCharacters();
    }
}

void CShop::DropSandGlass(float rate)
{
    for (const CRefPtr<CSpriteShape>& shape : sandShapes)
    {
        if (rate > 0.0f)
            FadeAway(*shape, Seconds(rate));
        else if (sprites)
            sprites->Remove(shape);
    }
    sandShapes.clear();
    if (sandDust)
        sandDust->StopEmission();
    sandDust.Reset();
    // The note follows the screen's fade and goes when it has faded out.
    if (rate <= 0.0f && sandNote)
    {
        if (textSet)
            textSet->Remove(sandNote);
        sandNote.Reset();
    }
}

void CShop::UpdateSandGlass()
{
    if (!sandNote)
        return;
    const float shown = std::fmax(0.0f, std::fmin(1.0f, display));
    if (sandNote->alphaFactor != shown)
    {
        sandNote->alphaFactor = shown;
        sandNote->PlaceCharacters();
    }
    if (fadeDirection == 0 && display <= 0.0f)
    {
        if (textSet)
            textSet->Remove(sandNote);
        sandNote.Reset();
    }
}

void CShop::ShowBonusPicture(int item, int level, float time)
{
    const size_t slot = size_t(item - kFirstBonusItem);
    if (slot >= bonusObjects.size())
        return;
    if (CRefPtr<CBonus>& old = bonusObjects[slot])
    {
        old->scale = 1.0f;
        old->StartMove(0.05f);
        leavingBonuses.push_back(old);
        old.Reset();
    }
    if (!bonusMaker || level < 0)
        return;
    CRefPtr<CBonus> picture;
    bonusMaker->CreateBonus(picture, items.subIds[size_t(item)], level, 0, 0);
    if (!picture)
        return;
    // The bonus stands on the item's picture, in front of the form.
    const ShopRect& place = layout.pictures[size_t(item)];
    float z = layout.z;
    if (ui && size_t(item) < ui->List(kFormShop, kListPictures).size())
        if (const CRefPtr<CKMWindow>& w = ui->List(kFormShop, kListPictures)[size_t(item)])
            z = w->worldPosition.z;
    // It appears where it stands, shrinking into place as it fades in; once placed it
    // keeps its depth as its draw order, under the stars. Switched inactive once it
    // stands there, it draws over the screen, its trails started where it stands.
    z += settings.bonusZShift;
    picture->position[0] = place.x;
    picture->position[1] = place.y;
    picture->position[2] = z;
    picture->SetActive(0);
    picture->SetZOrder(int(std::floor(z)));
    picture->scale = 1.0f;
    picture->Drop(place.x, place.y, z, kBonusSize, 0, 0, 1, time);
    bonusObjects[slot] = picture;
}

void CShop::DropBonusPictures(float rate)
{
    for (CRefPtr<CBonus>& picture : bonusObjects)
        if (picture)
        {
            picture->StartMove(rate > 0.0f ? Seconds(rate) : 0.0f);
            leavingBonuses.push_back(picture);
            picture.Reset();
        }
    if (rate <= 0.0f)
        leavingBonuses.clear();
}

void CShop::UpdateBonusPictures(float dt)
{
    for (const CRefPtr<CBonus>& picture : bonusObjects)
        if (picture)
            picture->Update(dt);
    for (size_t i = 0; i < leavingBonuses.size();)
    {
        CBonus& picture = *leavingBonuses[i];
        if (picture.Update(dt) && !(picture.state == kBonusLeaving && picture.motionTime >= picture.motionDuration))
            ++i;
        else
            leavingBonuses.erase(leavingBonuses.begin() + long(i));
    }
}
