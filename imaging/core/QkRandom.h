#pragma once
// The library's one random generator (temporary file names, dialog
// background noise, transition shapes). Seeding it makes the draws
// repeatable; saving and restoring its state lets a caller draw a fixed
// sequence without disturbing anyone else's.

#include <cstdint>
#include <random>

struct TRandomState {
    std::mt19937 Generator;
    friend bool operator==(const TRandomState&, const TRandomState&) = default;
};

void SetRandSeed(uint32_t seed);
// A number from 0 to range - 1; 0 when range is below 1, which still
// advances the generator. Thread-safe.
int32_t Random(int32_t range);

TRandomState SaveRandomState();
void RestoreRandomState(const TRandomState& state);
