// CParticleSystem: the base of every particle system, an emitter at an origin
// with preallocated particle slots, an emission clock, the render states it is
// drawn with and the handles it draws through. Systems are made and driven
// only by CParticleSystemsManager; a creator keeps its copy of the handle to
// move, stop or kill the system.
#pragma once

#include "effects/ParticleEnvironment.h"
#include "effects/ParticleMath.h"
#include "engine/RefPtr.h"
#include "render/SharedBuffers.h"
#include "render/VertexBuffer.h"

#include <cstdint>
#include <vector>

class CDevice;
class CTexture;
class CIndexBuffer;

class CParticleSystem
{
public:
    CParticleSystem(CRefPtr<CDevice> device, int32_t capacity, CRefPtr<CTexture> texture,
                    CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer,
                    CRefPtr<CParticleEnvironment> environment);
    virtual ~CParticleSystem();
    CParticleSystem(const CParticleSystem&) = delete;
    CParticleSystem& operator=(const CParticleSystem&) = delete;

    // Advances the system by dt seconds; nonzero while it must stay in its manager.
    virtual int32_t Update(float dt);
    // Writes one quad (4 vertices, 6 indices) per live particle at the cursors;
    // firstVertex is the vertex number the cursor stands at.
    virtual void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                             int32_t firstIndex);
    // Draws what the last FillBuffers wrote (render states and texture are the manager's).
    virtual void Draw();
    virtual void GetBufferNeeds(int32_t& vertices, int32_t& indices);
    virtual void Kill();
    // Ends a timed emission at the next update; untimed ones are not affected.
    virtual void StopEmission();
    virtual void MoveBy(float dx, float dy, float dz);
    // Followers (smokes and spells) move their emitter here; other systems ignore it.
    virtual void MoveTo(float x, float y, float z);

    int32_t number = 0;
    Vec3 origin{0.0f, 0.0f, 0.0f};
    int32_t capacity;
    int32_t highWater = 0; // one past the highest slot that may be alive
    int32_t emitting = 1;
    CRefPtr<CParticleEnvironment> environment;
    int32_t timed = 1;
    float duration = 0.0f;
    int32_t count = 0;
    float rate = 0.0f;
    float elapsed = 0.0f;
    int32_t budget = 0; // still to emit when untimed
    float accumulator = 0.0f; // time not yet turned into particles
    int32_t liveCount = 0;
    int32_t firstVertex = 0;
    int32_t firstIndex = 0;
    int32_t kill = 0;
    CRefPtr<CDevice> device;
    CRefPtr<CTexture> texture;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    uint32_t alphaTest = 1;
    uint32_t srcBlend;
    uint32_t destBlend;

protected:
    // The emission clock of the streaming systems: ends a timed emission (cutting
    // dt back to the moment it ended) or an untimed one whose budget ran out, and
    // returns how many particles are due now. accumulatedOut receives the time
    // the clock held before taking the particles out (trail layouts need it).
    int32_t RunEmissionClock(float& dt, float* accumulatedOut = nullptr);

    static void WriteQuadIndices(uint16_t*& indices, int32_t b)
    {
        SetQuadIndices(indices, static_cast<uint32_t>(b));
        indices += 6;
    }

    static void WriteVertex(CVertex*& out, const Vec3& p, uint32_t colour, float u, float v)
    {
        out->x = p.x;
        out->y = p.y;
        out->z = p.z;
        out->colour = colour;
        out->u = u;
        out->v = v;
        ++out;
    }

    // The edges of a quad facing the camera (view right and up), turned by the
    // angle whose sine and cosine are s and c: axisX `width` long, axisY `height`.
    static void FacingAxes(const Vec3& right, const Vec3& up, float s, float c, float width, float height,
                           Vec3& axisX, Vec3& axisY)
    {
        using namespace pmath;
        axisX = Mul(Add(Mul(right, c), Mul(up, s)), width);
        axisY = Mul(Sub(Mul(up, c), Mul(right, s)), height);
    }

    // Four vertices of the quad centred on `centre` with edges axisX and axisY,
    // from its top-left corner (texture u0, v0) clockwise to the bottom-left.
    static void WriteQuad(CVertex*& out, const Vec3& centre, const Vec3& axisX, const Vec3& axisY,
                          uint32_t colour, float u0, float v0, float u1, float v1)
    {
        using namespace pmath;
        Vec3 p1 = Add(Sub(centre, Mul(axisX, 0.5f)), Mul(axisY, 0.5f));
        Vec3 p2 = Add(p1, axisX);
        Vec3 p3 = Sub(p2, axisY);
        Vec3 p4 = Sub(p3, axisX);
        WriteVertex(out, p1, colour, u0, v0);
        WriteVertex(out, p2, colour, u1, v0);
        WriteVertex(out, p3, colour, u1, v1);
        WriteVertex(out, p4, colour, u0, v1);
    }
};

// The slot bookkeeping shared by every system over an array of particles of
// class P: where new particles go, which die, and the high-water mark.
template <class P>
class CParticleSystemOf : public CParticleSystem
{
public:
    CParticleSystemOf(CRefPtr<CDevice> device, int32_t capacity, CRefPtr<CTexture> texture,
                      CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer,
                      CRefPtr<CParticleEnvironment> environment)
        : CParticleSystem(device, capacity, texture, vertexBuffer, indexBuffer, environment),
          particles(capacity > 0 ? static_cast<size_t>(capacity) : 0)
    {
    }

    void MoveBy(float dx, float dy, float dz) override
    {
        CParticleSystem::MoveBy(dx, dy, dz);
        MoveParticles(dx, dy, dz);
    }

    // One quad per live particle.
    void GetBufferNeeds(int32_t& vertices, int32_t& indices) override
    {
        vertices = 4 * liveCount;
        indices = 6 * liveCount;
    }

    std::vector<P> particles;

protected:
    // What every FillBuffers of one quad per particle does: remembers where the run
    // starts, has quad(particle, out) write the four corners of each alive slot below
    // the mark (no more than liveCount of them), adds the quad's indices, and leaves
    // liveCount at the number written.
    template <class F>
    void FillQuads(CVertex* out, uint16_t* indices, int32_t firstVertex_, int32_t firstIndex_, F&& quad)
    {
        firstVertex = firstVertex_;
        firstIndex = firstIndex_;
        if (liveCount < 1)
            return;
        int32_t written = 0;
        int32_t b = firstVertex_;
        for (int32_t i = 0; i < highWater && written < liveCount; ++i)
        {
            P& p = particles[i];
            if (!p.alive)
                continue;
            quad(p, out);
            WriteQuadIndices(indices, b);
            b += 4;
            ++written;
        }
        liveCount = written;
    }

    // Emits k particles laid along the emitter's move from `from` to the origin, in
    // proportion to the share of the accumulated time they stand for, so a moving
    // emitter leaves an even trail; spawn(slot, point) makes one.
    template <class F>
    void EmitAlongPath(int32_t k, float accumulated, const Vec3& from, F&& spawn)
    {
        using namespace pmath;
        Vec3 step = V(0.0f, 0.0f, 0.0f);
        if (k > 0 && accumulated > 0.0f)
            step = Mul(Sub(origin, from), ((accumulated - accumulator) / accumulated) / static_cast<float>(k));
        int32_t j = 0;
        EmitIntoSlots(k, [&](P& slot, int32_t, bool) {
            ++j;
            spawn(slot, Add(from, Mul(step, static_cast<float>(j))));
        });
    }

    void MoveParticles(float dx, float dy, float dz)
    {
        for (int32_t i = 0; i < highWater; ++i)
            if (particles[i].alive)
                particles[i].MoveBy(dx, dy, dz);
    }

    // Gives `wanted` new particles their slots: free slots from slot 0 upwards
    // first, then, when every slot is alive, slots 0, 1, 2 ... are overwritten.
    // spawn(slot, slotIndex, overwriting) initialises one particle; it is called
    // once per particle made. Returns the number made (never above capacity).
    template <class F>
    int32_t EmitIntoSlots(int32_t wanted, F&& spawn)
    {
        if (wanted > capacity)
            wanted = capacity;
        if (wanted < 1)
            return 0;
        int32_t made = 0;
        int32_t cursor = 0;
        int32_t last = -1;
        while (made < wanted)
        {
            while (cursor < capacity && particles[cursor].alive)
                ++cursor;
            if (cursor >= capacity)
                break;
            spawn(particles[cursor], cursor, false);
            last = cursor;
            ++made;
        }
        if (last >= 0 && last >= highWater)
            highWater = last + 1 > capacity ? capacity : last + 1;
        for (int32_t slot = 0; made < wanted; ++slot, ++made)
            spawn(particles[slot], slot, true);
        return made;
    }

    // Runs keep(slotIndex, particle) on every alive slot below the mark; a
    // particle for which it returns false dies, and the death of the last one
    // lowers the mark. Counts the living; returns nonzero while emitting or
    // while anything lives.
    template <class F>
    int32_t ParticlePass(F&& keep)
    {
        liveCount = 0;
        int32_t result = emitting;
        for (int32_t i = 0; i < highWater; ++i)
        {
            P& p = particles[i];
            if (!p.alive)
                continue;
            if (keep(i, p))
            {
                ++liveCount;
                result = 1;
                continue;
            }
            p.alive = 0;
            if (i == highWater - 1)
            {
                int32_t mark = i;
                while (mark > 0 && !particles[mark - 1].alive)
                    --mark;
                highWater = mark;
            }
        }
        return result;
    }
};
