// The colour matrices from sensor planes to RGB.
#include "imaging/formats/cameraraw/RawIdentify.h"

namespace {

using TMatrix34 = float[3][4];

void SetCoeff(TRawDecodeContext& context, const TMatrix34& matrix)
{
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 4; ++c)
            context.coeff[r][c] = matrix[r][c];
    context.use_coeff = 1;
}

// Gauss-Jordan on [M | I] without pivot search, as the sensor matrices
// never need one.
void Invert3(double m[3][6])
{
    for (int32_t i = 0; i < 3; ++i) {
        const double pivot = m[i][i];
        for (int32_t j = 0; j < 6; ++j)
            m[i][j] /= pivot;
        for (int32_t k = 0; k < 3; ++k) {
            if (k == i)
                continue;
            const double factor = m[k][i];
            for (int32_t j = 0; j < 6; ++j)
                m[k][j] -= m[i][j] * factor;
        }
    }
}

} // namespace

void SetDc20Coeff(TRawDecodeContext& context, float juice)
{
    static constexpr float my[3][4] = {{2.25f, 0.75f, -1.75f, -0.25f},
                                       {-0.25f, 0.75f, 0.75f, -0.25f},
                                       {-0.25f, -1.75f, 0.75f, 2.25f}};
    static constexpr float flat[3][4] = {{1, 0, 0, 0}, {0, 0.5f, 0.5f, 0}, {0, 0, 0, 1}};
    float mixed[3][4];
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 4; ++c)
            mixed[r][c] = juice * my[r][c] + (1 - juice) * flat[r][c];
    SetCoeff(context, mixed);
}

void SetSonyCoeff(TRawDecodeContext& context)
{
    static constexpr float sony[3][4] = {{1.321918f, 0, 0.149829f, -0.471747f},
                                         {-0.288764f, 1.129213f, -0.486517f, 0.646067f},
                                         {0.061336f, -0.199343f, 1.138007f, 0}};
    SetCoeff(context, sony);
}

void SetE950Coeff(TRawDecodeContext& context)
{
    static constexpr float e950[3][4] = {{-1.936280f, 1.800443f, -1.448486f, 2.584324f},
                                         {1.405365f, -0.524955f, -0.289090f, 0.408680f},
                                         {-1.204965f, 1.082304f, 2.941367f, -1.818705f}};
    SetCoeff(context, e950);
}

void SetFoveonCoeff(TRawDecodeContext& context)
{
    static constexpr float foveon[3][3] = {{2.034395f, -0.727533f, -0.306746f},
                                           {-0.228719f, 1.231793f, -0.002829f},
                                           {-0.008615f, -0.153336f, 1.161781f}};
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c)
            context.coeff[r][c] = context.pre_mul[r] * foveon[r][c];
    context.use_coeff = 1;
}

void SetGmcyCoeff(TRawDecodeContext& context)
{
    static constexpr double gmcy[4][3] = {{0.11, 0.86, 0.08},
                                          {0.50, 0.29, 0.51},
                                          {0.11, 0.92, 0.75},
                                          {0.81, 0.98, 0.08}};
    for (auto& row : context.coeff)
        row.fill(0);
    for (int32_t ignored = 0; ignored < 4; ++ignored) {
        double work[3][6]{};
        for (int32_t j = 0; j < 3; ++j) {
            const int32_t source = j < ignored ? j : j + 1;
            for (int32_t k = 0; k < 3; ++k)
                work[j][k] = gmcy[source][k];
            work[j][3 + j] = 1;
        }
        Invert3(work);
        for (int32_t i = 0; i < 3; ++i)
            for (int32_t j = 0; j < 3; ++j)
                context.coeff[size_t(i)][size_t(j < ignored ? j : j + 1)] += float(work[i][3 + j]);
    }
    for (auto& row : context.coeff) {
        const float sum = row[0] + row[1] + row[2] + row[3];
        for (float& value : row)
            value /= sum;
    }
    context.use_coeff = 1;
}
