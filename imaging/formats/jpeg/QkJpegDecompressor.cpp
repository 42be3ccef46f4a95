#include "imaging/formats/jpeg/QkJpegDecompressor.h"

#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/jpeg/QkJpegLibrary.h"

struct TJpegDecompressorState {
    TJpegErrorManager Errors;
    jpeg_decompress_struct Info{};
    TJpegSource Source;
    TJpegDecompressor* Owner = nullptr;
    TJpegDecompressor::TFillInput Fill = nullptr;
    void* FillContext = nullptr;
    bool Created = false;

    // Runs one library step; a library error raises.
    template <typename TStep>
    void Step(TStep&& step)
    {
        if (!JpegGuarded(Errors, step))
            throw EQkJpegException(JpegErrorText(Errors));
    }
};

namespace {

boolean FillFromCaller(j_decompress_ptr info)
{
    auto& state = *static_cast<TJpegDecompressorState*>(info->client_data);
    state.Fill(*state.Owner, state.FillContext);
    return TRUE;
}

} // namespace

TJpegDecompressor::TJpegDecompressor(TStream& stream) : FState(std::make_unique<TJpegDecompressorState>())
{
    TJpegDecompressorState& state = *FState;
    state.Owner = this;
    InitJpegErrors(state.Errors, nullptr);
    state.Info.err = &state.Errors.Pub;
    jpeg_decompress_struct& info = state.Info;
    state.Step([&info] { jpeg_create_decompress(&info); });
    state.Created = true;
    state.Info.client_data = &state;
    SetJpegSource(state.Info, state.Source, stream, nullptr);
}

TJpegDecompressor::~TJpegDecompressor()
{
    if (FState->Created)
        jpeg_destroy_decompress(&FState->Info);
}

void TJpegDecompressor::SetFillInput(TFillInput fill, void* context)
{
    FState->Fill = fill;
    FState->FillContext = context;
    FState->Source.Pub.fill_input_buffer = FillFromCaller;
}

void TJpegDecompressor::SetSourceBuffer(const uint8_t* bytes, size_t count)
{
    FState->Source.Pub.next_input_byte = bytes;
    FState->Source.Pub.bytes_in_buffer = count;
}

int TJpegDecompressor::ReadHeader(bool requireImage)
{
    jpeg_decompress_struct& info = FState->Info;
    int result = 0;
    FState->Step([&info, &result, requireImage] { result = jpeg_read_header(&info, requireImage); });
    return result;
}

void TJpegDecompressor::Start()
{
    jpeg_decompress_struct& info = FState->Info;
    FState->Step([&info] { jpeg_start_decompress(&info); });
}

uint32_t TJpegDecompressor::OutputWidth() const { return FState->Info.output_width; }
uint32_t TJpegDecompressor::OutputHeight() const { return FState->Info.output_height; }
int TJpegDecompressor::OutputComponents() const { return FState->Info.output_components; }
uint32_t TJpegDecompressor::OutputScanline() const { return FState->Info.output_scanline; }

uint32_t TJpegDecompressor::ReadScanlines(uint8_t* const* rows, uint32_t count)
{
    jpeg_decompress_struct& info = FState->Info;
    JDIMENSION read = 0;
    auto* rowArray = const_cast<JSAMPARRAY>(rows);
    FState->Step([&info, &read, rowArray, count] { read = jpeg_read_scanlines(&info, rowArray, count); });
    return read;
}

void TJpegDecompressor::Finish()
{
    jpeg_decompress_struct& info = FState->Info;
    FState->Step([&info] { jpeg_finish_decompress(&info); });
}
