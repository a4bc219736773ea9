// The jungle's glints: the brightness mask, where glints start and end, their life.
#include "backgrounds/JungleFlashes.h"

#include <cmath>
#include <cstdio>

#include "backgrounds/SceneParts.h"
#include "engine/IniReader.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"

namespace
{
const size_t kFileHeaderBytes = 14;
const size_t kInfoHeaderBytes = 40;
const size_t kPixelBytes = size_t(CJungleFlashes::kMaskWidth) * CJungleFlashes::kMaskHeight * 3;
// Glints live in front of the picture, behind the board.
const float kFlashZ = -3.0f + scene::kOffsetZ;

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

// The whole file, or false when it cannot be read to its end.
bool ReadWholeFile(FILE* file, std::vector<uint8_t>& out)
{
    uint8_t chunk[8192];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        out.insert(out.end(), chunk, chunk + got);
    return !std::ferror(file);
}

// "BM", an information header of at least 40 bytes, 256 by 102 stored bottom-up,
// one plane of 24 bits, no compression, and every pixel inside the file.
bool IsFlashMaskBitmap(const std::vector<uint8_t>& b)
{
    if (b.size() < kFileHeaderBytes + kInfoHeaderBytes || b[0] != 'B' || b[1] != 'M')
        return false;
    const uint32_t pixels = U32(b, 10);
    const int32_t width = int32_t(U32(b, 18));
    const int32_t height = int32_t(U32(b, 22));
    return U32(b, 14) >= kInfoHeaderBytes && width == CJungleFlashes::kMaskWidth &&
           height == CJungleFlashes::kMaskHeight && U16(b, 28) == 24 && U32(b, 30) == 0 &&
           pixels >= kFileHeaderBytes + kInfoHeaderBytes && pixels <= b.size() && b.size() - pixels >= kPixelBytes;
}

float Cube(float v)
{
    return v * v * v;
}
} // namespace

CJungleFlashes::CJungleFlashes()
    : corner{-224.0f, -28.0f, -3.0f}, width(412.0f), height(164.0f), base{-224.0f, -192.0f, -3.0f},
      axisU{412.0f, 72.0f}, axisV{0.0f, 92.0f}, period(0.1f), lifeTime(0.5f), colour(0xFFFFF0C8u), alpha(1.0f),
      size(4.0f), centreX(-92.0f), minSpeed(10.0f), maxSpeed(40.0f), clock(0.0f)
{
    flashes.reserve(kReserve);
    velocities.reserve(kReserve);
}

void CJungleFlashes::LoadSettings(const char* path, const char* section)
{
    float area[4] = {288.0f, 412.0f, 412.0f, 164.0f};
    ReadIniFloat4(area, path, section, "FlashArea", "288 412 412 164");
    corner[0] = base[0] = scene::CentredX(area[0]);
    corner[1] = scene::CentredY(area[1]);
    width = area[2];
    height = area[3];
    base[1] = corner[1] - height;
    float basis[4] = {412.0f, -72.0f, 0.0f, -92.0f};
    ReadIniFloat4(basis, path, section, "FlashBasis", "412 -72 0 -92");
    axisU = {basis[0], -basis[1]};
    axisV = {basis[2], -basis[3]};
    period = ReadIniFloat(path, section, "FlashT", "0.1");
    lifeTime = ReadIniTime(path, section, "FlashLifeTime", "0.5");
    colour = ReadIniColor(path, section, "FlashColor", "255 240 200 255");
    alpha = float(colour >> 24) / 255.0f;
    size = ReadIniFloat(path, section, "FlashSize", "4");
    centreX = scene::CentredX(ReadIniFloat(path, section, "FlashCenter", "420"));
    minSpeed = ReadIniFloat(path, section, "FlashMinSpeed", "10");
    maxSpeed = ReadIniFloat(path, section, "FlashMaxSpeed", "40");
}

bool CJungleFlashes::LoadMask(const char* path)
{
    mask.clear();
    FILE* file = crt::fopen(path, "rb");
    if (!file)
    {
        LogText("JungleFlashMask.bmp File not found!\n");
        return false;
    }
    std::vector<uint8_t> bytes;
    const bool read = ReadWholeFile(file, bytes);
    std::fclose(file);
    if (!read)
    {
        LogText("Error loading JungleFlashMask.bmp file, unknown error!\n");
        return false;
    }
    if (!IsFlashMaskBitmap(bytes))
    {
        LogText("Error loading JungleFlashMask.bmp file!\n");
        return false;
    }
    // Rows are stored bottom-up; the mask keeps the first (blue) byte of each pixel, top-down.
    const size_t pixels = U32(bytes, 10);
    const size_t rowBytes = size_t(kMaskWidth) * 3;
    mask.resize(size_t(kMaskWidth) * kMaskHeight);
    for (size_t row = 0; row < size_t(kMaskHeight); ++row)
    {
        const uint8_t* source = &bytes[pixels + (size_t(kMaskHeight) - 1 - row) * rowBytes];
        for (size_t col = 0; col < size_t(kMaskWidth); ++col)
            mask[row * kMaskWidth + col] = source[3 * col];
    }
    return true;
}

int32_t CJungleFlashes::MaskAt(float x, float y) const
{
    if (mask.empty() || width <= 0.0f || height <= 0.0f)
        return -1;
    const float col = std::floor((x - corner[0]) / width * float(kMaskWidth));
    const float row = std::floor((corner[1] - y) / height * float(kMaskHeight));
    if (!(col >= 0.0f && col < float(kMaskWidth) && row >= 0.0f && row < float(kMaskHeight)))
        return -1;
    return mask[size_t(row) * kMaskWidth + size_t(col)];
}

float CJungleFlashes::PullTowardsCentre(float x) const
{
    const float leftSpan = centreX - corner[0];
    const float rightSpan = corner[0] + width - centreX;
    if (x >= centreX)
        return rightSpan > 0.0f ? centreX + Cube((x - centreX) / rightSpan) * rightSpan : x;
    return leftSpan > 0.0f ? centreX - Cube((centreX - x) / leftSpan) * leftSpan : x;
}

void CJungleFlashes::Clear()
{
    flashes.clear();
    velocities.clear();
}

void CJungleFlashes::Update(float dt, CSpriteBatch* batch, CRefPtr<CTexture> texture)
{
    Move(dt);
    if (period <= 0.0f || !HasMask())
        return;
    clock += dt;
    const float due = std::floor(clock / period);
    if (due < 1.0f)
        return;
    clock -= period * due;
    for (int i = 0; i < int(due); ++i)
        if (!Spawn(batch, texture))
            break;
}

void CJungleFlashes::Move(float dt)
{
    for (size_t i = 0; i < flashes.size();)
    {
        CBatchSprite& flash = *flashes[i];
        if (flash.age >= flash.holdEnd && flash.lifeAlpha <= 0.0f)
        {
            flashes.erase(flashes.begin() + std::ptrdiff_t(i));
            velocities.erase(velocities.begin() + std::ptrdiff_t(i));
            continue;
        }
        flash.position.x += velocities[i].u * dt;
        flash.position.y += velocities[i].v * dt;
        ++i;
    }
}

bool CJungleFlashes::Spawn(CSpriteBatch* batch, CRefPtr<CTexture> texture)
{
    for (int tries = 0; tries < kStartTries; ++tries)
    {
        const float r1 = RandomUnit();
        const float r2 = RandomUnit();
        const float x = PullTowardsCentre(base[0] + scene::kOffsetX + r1 * axisU.u + r2 * axisV.u);
        const float y = base[1] + scene::kOffsetY + r1 * axisU.v + r2 * axisV.v;
        const int32_t start = MaskAt(x, y);
        if (start <= kStartThreshold)
            continue;
        const float brightness = float(start) * alpha / 255.0f;
        const float life = (1.25f - 0.5f * RandomUnit()) * lifeTime;
        const float distance = (minSpeed + (maxSpeed - minSpeed) * RandomUnit()) * life;
        for (int end = 0; end < kEndTries; ++end)
        {
            const float angle = RandomUnit() * 2.0f * kPi;
            const float ex = x + std::cos(angle) * distance, ey = y + std::sin(angle) * distance;
            if (MaskAt(ex, ey) <= kEndThreshold)
                continue;
            CRefPtr<CBatchSprite> flash(new CBatchSprite(x, y, kFlashZ, texture, colour & 0xFFFFFFu));
            flash->SetScale(size, size);
            flash->alphaFactor = brightness;
            flash->flickerAmplitude = 0.0f;
            flash->holdEnd = 0.5f * life;
            flash->fadeInTime = 0.45f * life;
            flash->fadeOutTime = 0.5f * life;
            if (batch)
                batch->Add(flash);
            flashes.push_back(flash);
            const float travel = life > 0.0f ? 1.0f / life : 0.0f;
            velocities.push_back({(ex - x) * travel, (ey - y) * travel});
            return true;
        }
    }
    return false;
}
