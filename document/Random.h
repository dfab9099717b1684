#pragma once
#include <QtGlobal>

// The program's source of random numbers for brush scatter and jitter.
// Unseeded (the system generator) in the program; a test seeds it to get a
// sequence it can replay, and unseeds it again when done.
namespace Random {

// A whole number drawn uniformly from -trunc(spread) to +trunc(spread);
// 0 when the spread is below 1 in size. Spreads are limited to +-1e6.
int Spread(double spread);

// A whole number drawn uniformly from lo to hi, both included (lo <= hi).
int Bounded(int lo, int hi);

// Makes every later draw come from a generator seeded with `seed`.
void Seed(quint32 seed);
// Back to the unseeded system generator.
void Unseed();

} // namespace Random
