#pragma once
// The library's one random generator (temporary file names, dialog
// background noise). Seeding it makes the draws repeatable.

#include <cstdint>

void SetRandSeed(uint32_t seed);
// A number from 0 to range - 1; 0 when range is below 1. Thread-safe.
int32_t Random(int32_t range);
