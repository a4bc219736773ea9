#include "effects/ParticleParametres.h"

#include "effects/ParticleMath.h"

CSparksSpringParametres::CSparksSpringParametres(const Vec3& origin_, const Vec3& direction_,
                                                 const Vec3& spreadAxis_, float spreadA_,
                                                 float spreadB_, uint32_t colour_)
    : origin(origin_), direction(direction_), spreadAxis(spreadAxis_), spreadA(spreadA_),
      spreadB(spreadB_), colour(colour_)
{
}

CSmokesSpringParametres::CSmokesSpringParametres(const Vec3& origin_, const Vec3& direction_,
                                                 const Vec3& spreadAxis_, float positionSpreadA_,
                                                 float positionSpreadB_, float directionSpreadA_,
                                                 float directionSpreadB_, uint32_t colour_,
                                                 int32_t flags_)
    : flags(flags_), origin(origin_), direction(direction_), spreadAxis(spreadAxis_),
      positionSpreadA(positionSpreadA_), positionSpreadB(positionSpreadB_),
      directionSpreadA(directionSpreadA_), directionSpreadB(directionSpreadB_), colour(colour_)
{
}

CExplosionParametres::CExplosionParametres(const Vec3& centre_, const Vec3& baseVelocity_,
                                           const Vec3& axis_, float radius_, float axialSpread_,
                                           int32_t count_, uint32_t colour_, int32_t mode_)
    : mode(mode_), centre(centre_), baseVelocity(baseVelocity_),
      axis(pmath::NormalOr(axis_, Vec3{0.0f, 1.0f, 0.0f})), radius(radius_), colour(colour_),
      axialSpread(axialSpread_), count(count_)
{
}

CThunderboltParametres::CThunderboltParametres(
    const Vec3& startPoint_, const Vec3& startAxisA_, const Vec3& startAxisB_, float startSpreadA_,
    float startSpreadB_, float startJitter_, const Vec3& target_, const Vec3& endAxisA_,
    const Vec3& endAxisB_, float endSpreadA_, float endSpreadB_, float endJitter_,
    int32_t segments_, int32_t bolts_, uint32_t colour_)
    : startPoint(startPoint_), startAxisA(startAxisA_), startAxisB(startAxisB_),
      startSpreadA(startSpreadA_), startSpreadB(startSpreadB_), startJitter(startJitter_),
      target(target_), endAxisA(endAxisA_), endAxisB(endAxisB_), endSpreadA(endSpreadA_),
      endSpreadB(endSpreadB_), endJitter(endJitter_), colour(colour_ & 0xFFFFFFu),
      segments(segments_), bolts(bolts_)
{
}

CSpellsSpringParametres::CSpellsSpringParametres(const Vec3& origin_, const Vec3& velocity_,
                                                 float speed_, float speedSpread_, float size_,
                                                 float sizeSpread_, uint32_t colour_)
    : origin(origin_), velocity(velocity_), colour(colour_), speed(speed_),
      speedSpread(speedSpread_), size(size_), sizeSpread(sizeSpread_)
{
}
