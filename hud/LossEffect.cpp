#include "hud/LossEffect.h"

#include "effects/ParticleSystemsManager.h"
#include "effects/SpriteCrackKeeper.h"
#include "engine/IniReader.h"
#include "engine/StringTable.h"
#include "hud/PopupMessages.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

namespace {

const int kStringLifeLost = 53;
const float kSparkFall = 500.0f;  // units a second squared
const int kPieceGrid = 6;

Vec3 ReadPosition(const char* file, const char* section, const char* key, const char* def)
{
    float v[3] = {0.0f, 0.0f, 0.0f};
    ReadIniFloat3(v, file, section, key, def);
    return {v[0] - 512.5f, 384.5f - v[1], v[2]};
}

// A duration of nothing or less passes at once.
float Rate(float amount, float seconds)
{
    return seconds > 0.0f ? amount / seconds : 1.0e6f;
}

// The sparks of the trail and of the burst: fat, short streaks, in every direction.
CSparksSpringParametres SparkBlock(const Vec3& origin, const Vec3& direction, uint32_t colour)
{
    CSparksSpringParametres block(origin, direction, Vec3{1.0f, 0.0f, 0.0f}, 200.0f, 100.0f, colour);
    block.radial = 1;
    block.sparkWidth = 5.0f;
    block.maxLength = 25.0f;
    block.lengthFactor = 0.01f;
    block.fadeRate = 0.5f;
    return block;
}

}  // namespace

CLossEffect::~CLossEffect()
{
    RemoveHeart();
    StopTail();
}

void CLossEffect::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> manager,
                               CPopupMessages* notes, CRefPtr<CTexture> heartPicture, CRefPtr<CTexture> sparkPicture)
{
    sprites = list;
    particles = manager;
    popups = notes;
    heartTexture = heartPicture;
    sparkTexture = sparkPicture;
    char text[128] = "";
    GetStringById(kStringLifeLost, text, sizeof(text));
    note = text;
}

void CLossEffect::LoadSettings(const char* file, const char* section)
{
    Settings& s = settings;
    s.from = ReadPosition(file, section, "From", "130 283 -50");
    s.to = ReadPosition(file, section, "To", "649 288 -50");
    ReadIniFloat2(s.fromSize, file, section, "FromSize", "52 52");
    ReadIniFloat2(s.toSize, file, section, "ToSize", "104 104");
    float rect[4] = {102.0f, 94.0f, 154.0f, 146.0f};
    ReadIniFloat4(rect, file, section, "HeartT", "102 94 154 146");
    for (int i = 0; i < 4; ++i)
        s.heartT[i] = rect[i] / 256.0f;
    s.flyTime = ReadIniTime(file, section, "FlyTime", "0.9");
    s.waitTime = ReadIniTime(file, section, "WaitTime", "1");
    s.postTime = ReadIniTime(file, section, "PostTime", "1");
    s.tailColor = ReadIniColor(file, section, "TailColor", "255 255 80 255");
    s.zOrder = ReadIniInt(file, section, "ZOrder", "-50");
    s.notePos = ReadPosition(file, section, "NotePos", "649 360 -3");
}

void CLossEffect::RemoveHeart()
{
    if (sprites && heart)
        sprites->Remove(heart);
    heart.Reset();
}

// The trail fades out by itself once it stops.
void CLossEffect::StopTail()
{
    if (tail)
        tail->StopEmission();
    tail.Reset();
}

void CLossEffect::Reset()
{
    timer = 0.0f;
    busy = 0;
    phase = kFlying;
    RemoveHeart();
    StopTail();
}

void CLossEffect::SetSparkGravity(const CRefPtr<CParticleSystem>& system) const
{
    auto* sparks = dynamic_cast<CSparksParticleSystem*>(system.Get());
    if (!sparks)
        return;
    const float down = particles->environment ? particles->environment->gravity.y : -9.8f;
    sparks->newSparkGravityScale = down != 0.0f ? -kSparkFall / down : 0.0f;
}

void CLossEffect::MakeHeart()
{
    if (!sprites)
        return;
    const Settings& s = settings;
    heart = CRefPtr<CSpriteShape>(
        new CSpriteShape(start.x, start.y, start.z, s.fromSize[0], s.fromSize[1], 0xFFFFFFFFu, heartTexture, 1));
    heart->SetFrameUV(0, s.heartT[0], s.heartT[1], s.heartT[2], s.heartT[3]);
    heart->zOrder = s.zOrder;
    heart->scaleSpeedX = Rate(s.toSize[0] - s.fromSize[0], s.flyTime);
    heart->scaleSpeedY = Rate(s.toSize[1] - s.fromSize[1], s.flyTime);
    heart->SetScaleTarget(s.toSize[0], s.toSize[1]);
    sprites->Add(heart);
}

void CLossEffect::MakeTail()
{
    if (!particles)
        return;
    CSparksSpringParametres block = SparkBlock(start, Vec3{0.0f, 0.0f, 0.0f}, settings.tailColor);
    block.duration = 10000000.0f;
    block.rate = 30.0f * scale;
    particles->AddSparksSystem(tail, block, 120, sparkTexture);
    SetSparkGravity(tail);
}

void CLossEffect::Start(int useGivenStart, float x, float y, float z)
{
    Reset();
    start = useGivenStart ? Vec3{x, y, z} : settings.from;
    timer = 0.0f;
    busy = 1;
    phase = kFlying;
    if (popups)
    {
        CRefPtr<CPopupMessage> shown;
        popups->AddLoss(shown, note.c_str(), 1.5f, settings.notePos.x, settings.notePos.y, settings.notePos.z);
    }
    MakeHeart();
    MakeTail();
}

void CLossEffect::MoveTo(const Vec3& at)
{
    if (heart)
        heart->position = at;
    // New sparks leave from here; those in the air keep their way.
    if (tail)
        tail->origin = at;
}

// A shower of sparks and the heart broken into flying pieces, where it waited.
void CLossEffect::Burst()
{
    const Settings& s = settings;
    if (particles)
    {
        CSparksSpringParametres block = SparkBlock(s.to, Vec3{0.0f, 50.0f, 0.0f}, s.tailColor);
        block.duration = 0.1f;
        block.rate = 300.0f * scale;
        CRefPtr<CParticleSystem> shower;
        particles->AddSparksSystem(shower, block, 80, sparkTexture);
        SetSparkGravity(shower);
        if (shower)
            shower->Update(0.1f);

        CRefPtr<CSpriteCrackKeeper> keeper(new CSpriteCrackKeeper);
        keeper->SetParams(s.toSize[0], s.toSize[1], s.heartT[0], s.heartT[1], s.heartT[2], s.heartT[3], kPieceGrid,
                          kPieceGrid, 0.25f);
        keeper->floor = -400.0f;
        keeper->gravity = 2500.0f;
        keeper->speedBase = 300.0f;
        keeper->speedSpread = 150.0f;
        keeper->GeneratePieces();
        CCollection2Parametres pieces(s.to.x, s.to.y, s.to.z, nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                      CCollection2Parametres::kBlendAlpha);
        pieces.keeperEmission = 1;
        CRefPtr<CParticleSystem> system;
        particles->AddCollection2System(system, pieces, 40, heartTexture);
    }
    StopTail();
    RemoveHeart();
    phase = kBurst;
}

int CLossEffect::Update(float dt)
{
    if (!busy)
        return 0;
    timer += dt;
    const Settings& s = settings;
    const float burst = s.flyTime + s.waitTime, end = burst + s.postTime;
    // One long frame may pass every phase.
    if (phase == kFlying)
    {
        if (timer < s.flyTime)
        {
            const float f = timer / s.flyTime;
            MoveTo({start.x + (s.to.x - start.x) * f, start.y + (s.to.y - start.y) * f,
                    start.z + (s.to.z - start.z) * f});
        }
        else
        {
            MoveTo(s.to);
            phase = kWaiting;
        }
    }
    if (phase == kWaiting && timer >= burst)
        Burst();
    if (phase == kBurst && timer >= end)
    {
        timer = 0.0f;
        phase = kFlying;
        busy = 0;
        return 0;
    }
    return 1;
}
