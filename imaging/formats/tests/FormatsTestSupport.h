#pragma once
// The library started with the formats' start-up for each test, and small
// helpers for streams over fixture bytes.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "imaging/formats/QkFormatRows.h"
#include "platform/core/Streams.h"

class FormatsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallBrelvixIOStartup();
        LibraryStaticInit();
    }
    void TearDown() override { LibraryStaticFinal(); }
};

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

inline std::string Padded(std::string bytes, size_t size)
{
    bytes.resize(size, '\0');
    return bytes;
}

inline void FillStream(TMemoryStream& stream, const std::string& bytes)
{
    stream.Write(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(0);
}

// Calls one filter directly over fixture bytes, with an aborting flag.
class FilterTest : public FormatsTest {
protected:
    // The parameters were made before the start-up installed the codecs that
    // their defaults copy.
    void SetUp() override
    {
        FormatsTest::SetUp();
        params.SetDefaultParams();
    }
    // True when the reader did not abort.
    bool ReadWith(const TQkFormatReader& reader, const std::string& bytes, bool paramsOnly = false)
    {
        TMemoryStream stream;
        FillStream(stream, bytes);
        aborting = false;
        progress.Aborting = &aborting;
        TQkReadRequest request(stream, bitmap, params, progress);
        request.ParamsOnly = paramsOnly;
        reader(request);
        return !aborting;
    }
    std::string WriteWith(const TQkFormatWriter& writer)
    {
        TMemoryStream stream;
        aborting = false;
        progress.Aborting = &aborting;
        TQkWriteRequest request{stream, bitmap, params, progress};
        writer(request);
        return {static_cast<const char*>(stream.Memory()), size_t(stream.Size())};
    }

    TQkBitmap bitmap;
    TIOParamsVals params{nullptr};
    TQkFilterProgress progress;
    std::atomic<bool> aborting = false;
};
