#pragma once
// TIPDialogParams: the remembered settings of the processing preview
// dialogs, owned by the processing component. Only the fields and the
// values Reset gives them are fixed here; what each means belongs to the
// dialogs. Fields are named by their kind and place, in declaration order.

#include "imaging/core/QkPixels.h"

#include "platform/core/Streams.h"

#include <array>
#include <memory>

class TIPDialogParams : public TObject {
public:
    TIPDialogParams();

    void Reset();

    // The four tracked settings: changing one forgets the remembered stream.
    int32_t Tracked(size_t index) const { return FTracked.at(index); }
    void SetTracked(size_t index, int32_t value);
    TMemoryStream& Remembered() { return *FRemembered; }

    std::array<int32_t, 11> Settings{};
    std::array<int32_t, 9> UserKernel{};
    int32_t UserDivisor = 0;
    std::array<TRGBPixel, 4> Colours{};
    bool Flag1 = false;
    std::array<int32_t, 2> Pair1{};
    std::array<int32_t, 2> Size1{};
    TRGBPixel Colour{};
    int32_t Setting1 = 0;
    bool Flag2 = false;
    std::array<int32_t, 2> Pair2{};
    std::array<int32_t, 2> Size2{};
    double Real1 = 0;
    bool Flag3 = false;
    std::array<int32_t, 2> Pair3{};
    int32_t Setting2 = 0;
    bool Flag4 = false;
    int32_t Setting3 = 0;
    int32_t Setting4 = 0;
    double Real2 = 0;
    double Real3 = 0;
    std::array<int32_t, 2> Pair4{};
    bool Flag5 = false;

private:
    std::array<int32_t, 4> FTracked{};
    std::unique_ptr<TMemoryStream> FRemembered;
};
