#include "effects/SandHeap.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kFullMean = 0.99999999;
constexpr size_t kPortionRoom = 128;

} // namespace

CSandHeap::CSandHeap()
{
    portions.reserve(kPortionRoom);
    SetDefaults();
}

void CSandHeap::SetDefaults()
{
    SetSegmentCount(64);
    slopeLimit = 0.25;
    drainRate = 0.04;
    flowRate = 5.0;
    pourRate = 0.1;
    refillGain = 0.1;
    displaySpeed = 5.0;
    Reset();
}

void CSandHeap::SetSegmentCount(int32_t n)
{
    columns = std::max(n, 0);
    columnCount = double(columns);
    columnReciprocal = columns > 0 ? 1.0 / columnCount : 0.0;
    heights.assign(size_t(columns), 0.0);
    displayed.assign(size_t(columns), 0.0);
    mean = 0.0;
}

void CSandHeap::Reset()
{
    mode = kBuilding;
    status = kNothing;
    std::fill(heights.begin(), heights.end(), 0.0);
    std::fill(displayed.begin(), displayed.end(), 0.0);
    mean = 0.0;
    refill = 0.0;
    portions.clear();
}

double CSandHeap::GetMean() const
{
    if (columns < 1)
        return 0.0;
    double sum = 0.0;
    for (double h : heights)
        sum += h;
    return sum / columnCount;
}

int CSandHeap::Relax()
{
    int passes = 0;
    bool changed = true;
    const double s = slopeLimit * 0.5;
    while (changed && passes < kMaxRelaxPasses)
    {
        changed = false;
        ++passes;
        for (int j = 0; j + 1 < columns; ++j)
        {
            double& a = heights[size_t(j)];
            double& b = heights[size_t(j + 1)];
            if (std::fabs(a - b) <= slopeLimit || a == b)
                continue;
            const double m = (a + b) * 0.5;
            const double high = m + s, low = m - s;
            const double newA = a > b ? high : low;
            const double newB = a > b ? low : high;
            // Rounding can leave a settled pair a hair over the limit: it
            // counts as changed only when its stored values change.
            if (newA != a || newB != b)
                changed = true;
            a = newA;
            b = newB;
        }
    }
    return passes;
}

// Sand that two full columns could not take spreads outwards, one free column
// on each side at a time, until it is placed or the glass is full.
void CSandHeap::Spread(double amount, int left, int right)
{
    std::vector<double>& h = heights;
    while (amount > 0.0)
    {
        for (--left; left >= 0 && h[size_t(left)] >= 1.0; --left)
        {
        }
        for (++right; right < columns && h[size_t(right)] >= 1.0; ++right)
        {
        }
        const bool hasLeft = left >= 0, hasRight = right < columns;
        if (!hasLeft && !hasRight)
            return;
        const double roomL = hasLeft ? 1.0 - h[size_t(left)] : 0.0;
        const double roomR = hasRight ? 1.0 - h[size_t(right)] : 0.0;
        if (amount > roomL + roomR)
        {
            if (hasLeft)
                h[size_t(left)] = 1.0;
            if (hasRight)
                h[size_t(right)] = 1.0;
            amount -= roomL + roomR;
            continue;
        }
        const double half = amount * 0.5;
        if (half <= roomL && half <= roomR)
        {
            h[size_t(left)] += half;
            h[size_t(right)] += half;
        }
        else if (half <= roomL)
        {
            if (hasRight)
                h[size_t(right)] = 1.0;
            h[size_t(left)] += amount - roomR;
        }
        else
        {
            if (hasLeft)
                h[size_t(left)] = 1.0;
            if (hasRight)
                h[size_t(right)] += amount - roomL;
        }
        return;
    }
}

void CSandHeap::AddBetween(double amount, int i, double f)
{
    double& a = heights[size_t(i)];
    double& b = heights[size_t(i + 1)];
    if (amount > 2.0 - a - b)
    {
        amount -= 2.0 - a - b;
        a = b = 1.0;
        Spread(amount, i, i + 1);
        return;
    }
    const double leftShare = amount * (1.0 - f), rightShare = amount * f;
    if (leftShare > 1.0 - a)
    {
        const double rest = amount - (1.0 - a);
        a = 1.0;
        b += rest;
    }
    else if (rightShare > 1.0 - b)
    {
        const double rest = amount - (1.0 - b);
        b = 1.0;
        a += rest;
    }
    else
    {
        a += leftShare;
        b += rightShare;
    }
}

void CSandHeap::AddSand(double amount, double position)
{
    if (columns < 1)
        return;
    if (amount + mean > 1.0)
        amount = 1.0 - mean;
    amount *= columnCount;
    if (amount > 0.0)
    {
        const int last = columns - 1;
        if (position <= 0.0 || position >= double(last))
        {
            const int c = position <= 0.0 ? 0 : last;
            double& h = heights[size_t(c)];
            if (h + amount <= 1.0)
                h += amount;
            else
            {
                amount -= 1.0 - h;
                h = 1.0;
                Spread(amount, c, c);
            }
        }
        else
        {
            const int i = int(std::floor(position));
            AddBetween(amount, i, position - double(i));
        }
    }
    Relax();
    mean = GetMean();
}

void CSandHeap::SetFlow(bool on, double refillValue)
{
    const double level = on ? 1.0 : 0.0;
    mode = on ? kPouring : kBuilding;
    if (on)
        refill = refillValue;
    std::fill(heights.begin(), heights.end(), level);
    std::fill(displayed.begin(), displayed.end(), level);
    mean = level;
}

void CSandHeap::Update(float dt)
{
    if (mode == kBuilding)
        UpdateBuilding(dt);
    else if (mode == kPouring)
        UpdatePouring(dt);
}

void CSandHeap::UpdateBuilding(float dt)
{
    for (size_t i = 0; i < portions.size();)
    {
        Portion& p = portions[i];
        p.delay -= dt;
        if (p.delay > 0.0f)
        {
            ++i;
            continue;
        }
        const Portion landed = p;
        portions.erase(portions.begin() + std::ptrdiff_t(i));
        AddSand(landed.amount, landed.position);
    }
    status = mean > kFullMean ? kFull : kNothing;
    if (drainOn)
        Drain(dt);
    Creep(dt);
    Relax();
    mean = GetMean();
    if (mean == 0.0)
        status = kEmpty;
    FollowDisplay(dt);
}

void CSandHeap::UpdatePouring(float dt)
{
    for (size_t i = 0; i < portions.size();)
    {
        Portion& p = portions[i];
        p.delay -= dt;
        if (p.delay > 0.0f)
        {
            ++i;
            continue;
        }
        refill += double(p.amount) * refillGain;
        portions.erase(portions.begin() + std::ptrdiff_t(i));
    }
    bool empty = false;
    if (drainOn)
    {
        mean = std::max(mean - double(dt) * pourRate, 0.0);
        std::fill(heights.begin(), heights.end(), mean);
        std::fill(displayed.begin(), displayed.end(), mean);
        empty = mean == 0.0;
    }
    if (refill >= 1.0)
    {
        refill = 1.0;
        status = kRefilled;
    }
    else
        status = empty ? kEmpty : kNothing;
}

// Sand runs out at the left end, the leftmost columns first.
void CSandHeap::Drain(float dt)
{
    double d = std::min(double(dt) * drainRate, mean) * columnCount;
    for (int i = 0; i < columns; ++i)
    {
        double& h = heights[size_t(i)];
        if (d < h)
        {
            h -= d;
            return;
        }
        d -= h;
        h = 0.0;
    }
}

// Every column takes what fits of its right neighbour's share.
void CSandHeap::Creep(float dt)
{
    const double f = std::min(double(dt) * flowRate, 1.0);
    for (int i = 0; i + 1 < columns; ++i)
    {
        double& a = heights[size_t(i)];
        double& b = heights[size_t(i + 1)];
        const double move = std::min(b * f, 1.0 - a);
        a += move;
        b -= move;
    }
}

void CSandHeap::FollowDisplay(float dt)
{
    const double step = double(dt) * displaySpeed;
    for (size_t i = 0; i < heights.size(); ++i)
    {
        const double h = heights[i];
        double& d = displayed[i];
        if (h < d)
            d = std::max(d - step, h);
        else if (h > d)
            d = std::min(d + step, h);
    }
}
