// CSandHeap: the sand lying in the sand glass beside the board, as a row of
// columns each 0 (empty) to 1 (full to the glass's top). Sand arrives in
// delayed portions, piles up where it lands, slides until no two neighbours
// differ by more than the slope limit, creeps towards the left end and, while
// the drain is on, runs out there. The mean height is the glass's fill level.
// While pouring (a score frenzy) the glass empties as a whole and arriving
// sand only fills the refill gauge. After every Update the status word tells
// the board whether the glass ran empty, filled up or refilled.
#pragma once

#include <cstdint>
#include <vector>

class CSandHeap
{
public:
    enum Mode
    {
        kBuilding = 0,
        kPouring = 1,
    };
    enum Status
    {
        kNothing = 0,
        kEmpty = 1,
        kFull = 2,
        kRefilled = 3,
    };

    struct Portion
    {
        float delay;    // seconds until it lands
        float position; // in column units, 0..N-1, may lie between columns
        float amount;   // in units of the whole glass
    };

    // Relaxation passes are capped: a pile of this many columns settles far sooner.
    static constexpr int kMaxRelaxPasses = 10000;

    CSandHeap();

    void SetDefaults();
    void SetSegmentCount(int32_t n);
    void Reset();
    // Puts sand into the columns at once; what does not fit is lost.
    void AddSand(double amount, double position);
    // On: pouring, every column shown full. Off: building, every column empty.
    void SetFlow(bool on, double refillValue);
    void Update(float dt);
    // One settling of the slopes; returns the passes it took.
    int Relax();
    double GetMean() const;

    int32_t mode = kBuilding;
    int32_t status = kNothing;
    int32_t drainOn = 0;
    int32_t columns = 0;
    double columnCount = 0.0;
    double columnReciprocal = 0.0;
    double slopeLimit = 0.25;
    double drainRate = 0.04;  // building: fraction of the glass drained per second
    double flowRate = 5.0;    // how fast sand creeps to the left end
    double pourRate = 0.1;    // pouring: fraction of the glass poured out per second
    double refillGain = 0.1;  // pouring: refill per unit of arriving sand
    double displaySpeed = 5.0;
    std::vector<double> heights;
    std::vector<double> displayed;
    double mean = 0.0;
    double refill = 0.0;
    std::vector<Portion> portions;

private:
    void Spread(double amount, int left, int right);
    void AddBetween(double amount, int i, double f);
    void UpdateBuilding(float dt);
    void UpdatePouring(float dt);
    void Drain(float dt);
    void Creep(float dt);
    void FollowDisplay(float dt);
};
