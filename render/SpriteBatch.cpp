#include "engine/MathConstants.h"
#include "render/SpriteBatch.h"

#include "engine/Random.h"
#include "render/SharedBuffers.h"
#include "render/SpriteList.h" // SameTexture

#include <algorithm>
#include <cmath>

namespace {


Vec3 UnitOrUp(float x, float y, float z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f) || std::isinf(length))
        return {0.0f, 1.0f, 0.0f};
    return {x / length, y / length, z / length};
}

Vec3 Scaled(const Vec3& v, float k)
{
    return {v.x * k, v.y * k, v.z * k};
}

} // namespace

CBatchSprite::CBatchSprite(float x, float y, float z, CRefPtr<CTexture> texture_, uint32_t rgb)
    : id(0), position{x, y, z}, xAxis{1, 0, 0}, yAxis{0, 1, 0}, scaledXAxis{0.08f, 0, 0},
      scaledYAxis{0, 0.08f, 0}, corners{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, scaleX(0.08f),
      scaleY(0.08f), colour(rgb & 0x00FFFFFFu), texture(texture_), fadeInTime(0.1f),
      fadeOutTime(0.2f), holdEnd(2.0f), flickerAmplitude(0.4f), flickerInterval(0.05f),
      lifeAlpha(0.0f), flickerFrom(0.0f), flickerTo(0.0f), flickerDelta(0.0f),
      flickerStart(0.0f), age(0.0f), startDelay(0.0f), spinning(0), spinAngle(0.0f),
      spinSpeed(0.0f), spinAxisA{0, 0, 0}, spinAxisB{0, 0, 0}, zooming(0), zoomBaseX(0.0f),
      zoomBaseY(0.0f), zoomFactor(0.0f), zoomTarget(0.0f), zoomRate(0.0f), alphaFactor(1.0f)
{
}

void CBatchSprite::SetAxes(float xx, float xy, float xz, float yx, float yy, float yz)
{
    xAxis = UnitOrUp(xx, xy, xz);
    yAxis = UnitOrUp(yx, yy, yz);
    SetScale(scaleX, scaleY);
}

void CBatchSprite::SetScale(float sx, float sy)
{
    scaleX = sx;
    scaleY = sy;
    scaledXAxis = Scaled(xAxis, sx);
    scaledYAxis = Scaled(yAxis, sy);
}

void CBatchSprite::SetTexRect(float left, float top, float right, float bottom)
{
    corners[0] = {left, top};
    corners[1] = {right, top};
    corners[2] = {right, bottom};
    corners[3] = {left, bottom};
}

void CBatchSprite::SetSpin(float angle, float speed, float ax, float ay, float az, float bx,
                           float by, float bz)
{
    spinning = 1;
    spinAngle = angle;
    spinSpeed = speed;
    spinAxisA = UnitOrUp(ax, ay, az);
    spinAxisB = UnitOrUp(bx, by, bz);
}

void CBatchSprite::StartZoom(float target, float rate)
{
    zooming = 1;
    zoomFactor = 1.0f;
    zoomTarget = target;
    zoomRate = rate;
    zoomBaseX = scaleX;
    zoomBaseY = scaleY;
}

void CBatchSprite::FadeOutNow()
{
    if (age >= holdEnd)
        return;
    const float faded = age - startDelay;
    if (faded < fadeInTime)
    {
        holdEnd = age - (1.0f - faded / fadeInTime) * fadeOutTime;
        fadeInTime = 0.0f;
    }
    else
        holdEnd = age;
}

int CBatchSprite::Update(float dt)
{
    age += dt;
    const float end = holdEnd + fadeOutTime;
    const bool alive = age < end;
    if (!alive)
        dt -= age - end;

    const float t = age - startDelay;
    if (t < fadeInTime)
        lifeAlpha = t / fadeInTime;
    else if (age <= holdEnd)
        lifeAlpha = 1.0f;
    else
        lifeAlpha = (end - age) / fadeOutTime;

    if (flickerInterval > 0.0f)
    {
        const float f = age - flickerStart;
        if (f >= flickerInterval)
        {
            if (f - flickerInterval < flickerInterval)
            {
                flickerStart += flickerInterval;
                flickerFrom = flickerTo;
            }
            else
            {
                // Frames longer than an interval start a fresh segment.
                flickerStart = std::floor(age / flickerInterval) * flickerInterval;
                flickerFrom = RandomUnit() * flickerAmplitude;
            }
            flickerTo = RandomUnit() * flickerAmplitude;
            flickerDelta = flickerTo - flickerFrom;
        }
        const float into = std::fmod(age - flickerStart, flickerInterval);
        lifeAlpha -= flickerFrom + flickerDelta * (into / flickerInterval);
    }
    if (!(lifeAlpha > 0.0f))
        lifeAlpha = 0.0f;

    if (spinning)
    {
        spinAngle = std::fmod(spinAngle + spinSpeed * dt, kTwoPi);
        if (spinAngle < 0.0f)
            spinAngle += kTwoPi;
        const float s = std::sin(spinAngle);
        const float c = std::cos(spinAngle);
        scaledXAxis = {scaleX * (c * spinAxisA.x + s * spinAxisB.x),
                       scaleX * (c * spinAxisA.y + s * spinAxisB.y),
                       scaleX * (c * spinAxisA.z + s * spinAxisB.z)};
        scaledYAxis = {scaleY * (-s * spinAxisA.x + c * spinAxisB.x),
                       scaleY * (-s * spinAxisA.y + c * spinAxisB.y),
                       scaleY * (-s * spinAxisA.z + c * spinAxisB.z)};
        xAxis = UnitOrUp(scaledXAxis.x, scaledXAxis.y, scaledXAxis.z);
        yAxis = UnitOrUp(scaledYAxis.x, scaledYAxis.y, scaledYAxis.z);
    }

    if (zooming && age > startDelay)
    {
        zoomFactor += zoomRate * dt;
        if ((zoomRate > 0.0f && zoomFactor >= zoomTarget) ||
            (zoomRate < 0.0f && zoomFactor <= zoomTarget))
        {
            zooming = 0;
            zoomFactor = zoomTarget;
        }
        SetScale(zoomBaseX * zoomFactor, zoomBaseY * zoomFactor);
    }
    return alive ? 1 : 0;
}

void CBatchSprite::FillQuad(CVertex* vertices) const
{
    const float a = std::floor(lifeAlpha * 255.0f * alphaFactor);
    const uint32_t alphaByte = !(a > 0.0f) ? 0u : a >= 255.0f ? 255u : uint32_t(a);
    const uint32_t argb = alphaByte << 24 | colour;
    Vec3 p[4];
    p[0] = {position.x - scaledXAxis.x * 0.5f + scaledYAxis.x * 0.5f,
            position.y - scaledXAxis.y * 0.5f + scaledYAxis.y * 0.5f,
            position.z - scaledXAxis.z * 0.5f + scaledYAxis.z * 0.5f};
    p[1] = {p[0].x + scaledXAxis.x, p[0].y + scaledXAxis.y, p[0].z + scaledXAxis.z};
    p[2] = {p[1].x - scaledYAxis.x, p[1].y - scaledYAxis.y, p[1].z - scaledYAxis.z};
    p[3] = {p[2].x - scaledXAxis.x, p[2].y - scaledXAxis.y, p[2].z - scaledXAxis.z};
    WriteQuadVertices(vertices, p, argb, corners);
}

CSpriteBatch::CSpriteBatch(CRefPtr<CDevice> device_, CRefPtr<CVertexBuffer> vertexBuffer_,
                           CRefPtr<CIndexBuffer> indexBuffer_)
    : device(device_), vertexBuffer(vertexBuffer_), indexBuffer(indexBuffer_), nextId(0)
{
    sprites.reserve(64);
}

CSpriteBatch::~CSpriteBatch()
{
    sprites.clear();
    indexBuffer.Reset();
    vertexBuffer.Reset();
    device.Reset();
}

uint32_t CSpriteBatch::Add(CRefPtr<CBatchSprite> sprite)
{
    if (!sprite.IsValid())
        return 0;
    sprite->id = nextId++;
    auto it = std::find_if(sprites.begin(), sprites.end(), [&](const CRefPtr<CBatchSprite>& s) {
        return CSpriteList::SameTexture(s->texture, sprite->texture);
    });
    sprites.insert(it, sprite);
    return sprite->id;
}

void CSpriteBatch::Update(float dt)
{
    for (size_t i = 0; i < sprites.size();)
    {
        if (sprites[i]->Update(dt) == 0)
            sprites.erase(sprites.begin() + ptrdiff_t(i));
        else
            ++i;
    }
}

void CSpriteBatch::Render()
{
    if (sprites.empty() || !device.IsValid() || !vertexBuffer.IsValid() || !indexBuffer.IsValid())
        return;
    CDevice& dev = *device;
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 0);
    dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    dev.SetTexture(0, sprites[0]->texture);

    const size_t maxQuads = QuadCapacity(*vertexBuffer, *indexBuffer);
    if (maxQuads == 0)
        return;
    size_t first = 0;
    while (first < sprites.size())
    {
        // One run of a texture, cut where it would not fit the buffers.
        size_t end = first + 1;
        while (end < sprites.size() && end - first < maxQuads &&
               CSpriteList::SameTexture(sprites[end]->texture, sprites[first]->texture))
            ++end;
        const size_t count = end - first;
        CVertex* vertices = nullptr;
        uint16_t* indices = nullptr;
        if (FAILED(LockRun(*vertexBuffer, *indexBuffer, DWORD(count * 4), DWORD(count * 6), &vertices, &indices)))
            return;
        const uint32_t base = vertexBuffer->lockStart;
        for (size_t i = 0; i < count; ++i)
        {
            sprites[first + i]->FillQuad(vertices + i * 4);
            SetQuadIndices(indices + i * 6, base + uint32_t(i * 4));
        }
        vertexBuffer->Unlock();
        indexBuffer->Unlock();
        dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexBuffer->lockStart, UINT(count * 4),
                                 indexBuffer->lockStart, UINT(count * 2));
        first = end;
        if (first < sprites.size())
            dev.SetTexture(0, sprites[first]->texture);
    }
}
