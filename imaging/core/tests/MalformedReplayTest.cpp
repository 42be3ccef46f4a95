#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDIBBridge.h"
#include "imaging/core/QkDibbitmap.h"
#include "imaging/core/QkDrawDib.h"
#include "imaging/core/QkICC.h"
#include "imaging/core/QkIPTCInfoList.h"
#include "imaging/core/QkImagingAnnot.h"
#include "imaging/core/QkRawBitmap.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTIFFHandler.h"
#include "imaging/core/QkTagsHandler.h"

// Inputs that once crashed a reader under the fuzzers, named after the
// reader: each is read again and must be read safely.
TEST(MalformedInputs, ReadSafely)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        SCOPED_TRACE(name);
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto size = static_cast<int64_t>(bytes.size());
        if (name.rfind("dib-", 0) == 0) {
            TQkBitmap bitmap;
            CopyDIBToBitmap(bytes.data(), size, bitmap);
        } else if (name.rfind("drawdib-", 0) == 0) {
            TQkDibbitmap target;
            DrawDIBToDibbitmap(TDIBBytes{bytes.data(), size}, target);
        } else if (name.rfind("icc-", 0) == 0) {
            TQkICC profile;
            profile.LoadFromBuffer(bytes.data(), static_cast<int32_t>(size));
        } else if (name.rfind("raw-", 0) == 0) {
            TQkBitmap bitmap;
            bitmap.SetLocation(qkMemory);
            LoadRawFromStream(bitmap, bytes.data(), size);
        } else if (name.rfind("annot-", 0) == 0) {
            TQkImagingAnnot annot;
            annot.LoadFromBuffer(bytes.data(), size);
        } else if (name.rfind("iptc-", 0) == 0) {
            TQkIPTCInfoList list;
            list.LoadFromBuffer(bytes.data(), size);
        } else if (name.rfind("tags-", 0) == 0 && size > 0) {
            // As the fuzzer feeds it: the enclosing file's order, then the note.
            TQkMemStream stream(bytes.data() + 1, size - 1);
            TQkTagsHandler handler;
            handler.ReadFromStream(stream, static_cast<int32_t>(size - 1), bytes[0] & 1);
        } else if (name.rfind("tiff-", 0) == 0) {
            TQkMemStream stream(bytes.data(), size);
            TQkTIFFHandler handler;
            handler.ReadStream(stream);
        } else {
            ADD_FAILURE() << "no reader for " << name;
        }
    }
}
