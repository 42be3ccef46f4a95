// Inflating a whole memory block at once.

#include "imaging/formats/zstreams/QkZStreams.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>

namespace {

int Checked(int result)
{
    if (result < 0 || result == Z_NEED_DICT)
        throw EZDecompressionError(ZlibErrorText(result));
    return result;
}

struct TInflateEnd {
    void operator()(z_stream* zrec) const { inflateEnd(zrec); }
};

// zlib counts in 32 bits: hand it at most this much input or output room at once.
void ExposeInput(z_stream& zrec, const Bytef* end)
{
    if (zrec.avail_in == 0)
        zrec.avail_in = static_cast<uInt>(std::min<ptrdiff_t>(end - zrec.next_in, UINT_MAX));
}

void ExposeOutput(z_stream& zrec, std::vector<uint8_t>& output)
{
    zrec.next_out = output.data() + zrec.total_out;
    zrec.avail_out = static_cast<uInt>(std::min<size_t>(output.size() - zrec.total_out, UINT_MAX));
}

// Doubles the block (at least by one step) up to `limit`, so that highly
// compressed data costs a logarithmic number of copies.
void Grow(std::vector<uint8_t>& output, size_t step, size_t limit)
{
    const size_t growth = std::max(step, output.size());
    output.resize(growth > limit - output.size() ? limit : output.size() + growth);
}

[[noreturn]] void RaiseTooLarge() { throw EZDecompressionError(ZlibErrorText(Z_MEM_ERROR)); }

} // namespace

std::vector<uint8_t> InflateBuffer(const void* input, size_t inputSize, size_t sizeEstimate, size_t maxOutput)
{
    const size_t step = std::max<size_t>((inputSize + 255) / 256 * 256, 256);
    // One byte of room beyond the cap tells data of exactly maxOutput bytes
    // from data that goes on.
    const size_t limit = maxOutput == SIZE_MAX ? maxOutput : maxOutput + 1;
    std::vector<uint8_t> output;
    try {
        output.resize(std::min(sizeEstimate != 0 ? sizeEstimate : step, limit));
        z_stream zrec{};
        const auto* end = static_cast<const Bytef*>(input) + inputSize;
        zrec.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(input));
        ExposeInput(zrec, end);
        ExposeOutput(zrec, output);
        Checked(inflateInit(&zrec));
        const std::unique_ptr<z_stream, TInflateEnd> ending(&zrec);
        while (Checked(inflate(&zrec, Z_NO_FLUSH)) != Z_STREAM_END) {
            if (zrec.total_out > maxOutput)
                RaiseTooLarge();
            if (zrec.avail_out == 0 && zrec.total_out == output.size())
                Grow(output, step, limit);
            ExposeInput(zrec, end);
            ExposeOutput(zrec, output);
        }
        if (zrec.total_out > maxOutput)
            RaiseTooLarge();
        output.resize(zrec.total_out);
    } catch (const std::bad_alloc&) {
        RaiseTooLarge();
    }
    output.shrink_to_fit();
    return output;
}
