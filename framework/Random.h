#pragma once
// A pseudo-random generator whose sequence depends on its seed alone: the same
// on every run, platform and standard library.
#include <cstdint>
#include <random>

#include "framework/Object.h"

class Random : public Object {
public:
    // Until Seed is set, the generator runs as if seeded with 0.
    Random();

    // The seed is truncated toward zero and reduced modulo 2^32; NaN and the
    // infinities count as 0. Setting it restarts the sequence.
    void Seed(double seed);

    // A whole number from min to max, both included, every value equally
    // likely. Bounds given the wrong way round are swapped.
    int32_t InRange(int32_t min, int32_t max);

private:
    std::mt19937 m_engine;
};
