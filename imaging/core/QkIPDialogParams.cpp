#include "imaging/core/QkIPDialogParams.h"

namespace {

const TRGBPixel Black = MakeRGBPixel(0, 0, 0);
const TRGBPixel White = MakeRGBPixel(255, 255, 255);

} // namespace

TIPDialogParams::TIPDialogParams() : FRemembered(std::make_unique<TMemoryStream>()) { Reset(); }

void TIPDialogParams::SetTracked(size_t index, int32_t value)
{
    FTracked.at(index) = value;
    FRemembered->Clear();
}

void TIPDialogParams::Reset()
{
    FTracked.fill(-1);
    Settings.fill(0);
    UserKernel = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    UserDivisor = 0;
    Colours = {Black, White, Black, White};
    Flag1 = false;
    Pair1 = {0, 0};
    Size1 = {150, 150};
    Colour = White;
    Setting1 = 0;
    Flag2 = true;
    Pair2 = {0, 0};
    Size2 = {150, 150};
    Real1 = 1.7;
    Flag3 = true;
    Pair3 = {10, 10};
    Setting2 = 0;
    Flag4 = false;
    Setting3 = 0;
    Setting4 = 1;
    Real2 = 0.0;
    Real3 = 1.0;
    Pair4 = {1, 4};
    Flag5 = true;
    FRemembered->Clear();
}
