#include "Random.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

std::optional<QRandomGenerator> &seeded()
{
    static std::optional<QRandomGenerator> generator;
    return generator;
}

QRandomGenerator &generator()
{
    std::optional<QRandomGenerator> &s = seeded();
    return s ? *s : *QRandomGenerator::global();
}

} // namespace

namespace Random {

int Bounded(int lo, int hi)
{
    if (hi <= lo)
        return lo;
    // bounded(a, b) excludes b; widen through 64 bits so hi = INT_MAX works.
    return int(generator().bounded(qint64(lo), qint64(hi) + 1));
}

int Spread(double spread)
{
    if (!std::isfinite(spread))
        return 0;
    const int s = int(std::trunc(std::clamp(std::fabs(spread), 0.0, 1e6)));
    return s == 0 ? 0 : Bounded(-s, s);
}

void Seed(quint32 seed)
{
    seeded().emplace(seed);
}

void Unseed()
{
    seeded().reset();
}

} // namespace Random
