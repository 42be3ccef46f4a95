#pragma once
// The code words of ITU-T T.4 / T.6: the run-length codes of each colour and
// the two-dimensional mode codes, with the decoding trees of the run codes.

#include <array>
#include <cstdint>
#include <vector>

// Special runs of the run-code entries past the extended make-up codes.
constexpr int32_t FaxRunEndOfLine = -3;
constexpr int32_t FaxRunIgnored = -1;

struct TFaxCode {
    int32_t Length; // bits
    uint32_t Value; // right-aligned
    int32_t Run;
};

// Entries 0-63 terminating codes, 64-90 make-up codes 64-1728, 91-103 the
// extended make-up codes 1792-2560, 104 EOL, 105-107 codes of 9 to 11 bits
// ending in 1 (ignored), 108-127 EOLs after 1 to 20 fill zeros.
using TFaxRunTable = std::array<TFaxCode, 128>;
const TFaxRunTable& FaxRunCodes(bool black);
// The entry of a make-up run (a multiple of 64, 64-2560); a terminating
// run (0-63) is its own entry.
int32_t FaxMakeUpEntry(int32_t run);

enum TFaxMode {
    fmUnknown, // twelve zeros
    fmPass,
    fmHorizontal,
    fmVL3,
    fmVL2,
    fmVL1,
    fmV0,
    fmVR1,
    fmVR2,
    fmVR3,
    fmExtension2D,
    fmExtension1D,
    fmEndOfLine,
};
constexpr int32_t FaxModeCount = 13;
const std::array<TFaxCode, FaxModeCount>& FaxModeCodes();

// A binary tree over one colour's run codes: walking the bits of a 32-bit
// window, most significant first, reaches the entry the window starts with.
class TFaxCodeTree {
public:
    explicit TFaxCodeTree(const TFaxRunTable& codes);
    // The entry, or -1 when the window starts with no code.
    int32_t Decode(uint32_t window) const;

private:
    struct TNode {
        std::array<int32_t, 2> Child{-1, -1};
        int32_t Entry = -1;
    };
    std::vector<TNode> nodes_;
};

// The trees live for the whole process; the library's start-up builds them
// so that no decoding call pays for it.
const TFaxCodeTree& FaxCodeTree(bool black);
void CcittStaticInit();
