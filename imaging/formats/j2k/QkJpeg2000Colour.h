#pragma once
// The YCbCr to RGB tables for sYCC images (BT.601 factors, rounded to the
// nearest integer, ties to even), built once at start-up.

#include <array>
#include <cstdint>

struct TJ2kYCbCrTables {
    std::array<int32_t, 256> CrToR{};
    std::array<int32_t, 256> CbToB{};
    std::array<int32_t, 256> CrToG{};
    std::array<int32_t, 256> CbToG{};
};

const TJ2kYCbCrTables& J2kYCbCrTables();
void BuildJ2kYCbCrTables();

// Blue, green, red bytes of one YCbCr sample triple.
void J2kYCbCrToBgr(int32_t y, int32_t cb, int32_t cr, uint8_t* bgr);
