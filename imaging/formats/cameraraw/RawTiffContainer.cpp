// The TIFF-structured containers: IFD chains, the raw image's IFD, EXIF and
// the Nikon and Olympus maker notes.
#include <set>

#include "imaging/formats/cameraraw/RawIdentify.h"

namespace {

struct TIfdEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t value = 0;
    int64_t next = 0;
};

enum class TShortValue { SmallCounts, Always, Never };

TIfdEntry ReadEntry(TRawDecodeContext& context, TShortValue rule)
{
    TIfdEntry entry;
    entry.tag = Get2(context);
    entry.type = Get2(context);
    entry.count = Get4(context);
    const bool shortValue =
        entry.type == 3 && (rule == TShortValue::Always || (rule == TShortValue::SmallCounts && entry.count < 3));
    if (shortValue) {
        entry.value = Get2(context);
        Get2(context);
    } else {
        entry.value = Get4(context);
    }
    entry.next = Tell(context);
    return entry;
}

void ParseTiffRawIfd(TRawDecodeContext& context, int64_t base)
{
    const uint16_t entries = Get2(context);
    for (uint16_t i = 0; i < entries; ++i) {
        const TIfdEntry e = ReadEntry(context, TShortValue::SmallCounts);
        SeekTo(context, base + e.value);
        switch (e.tag) {
        case 256: context.raw_width = int32_t(e.value); break;
        case 257: context.raw_height = int32_t(e.value); break;
        case 259: context.tiff_compression = int32_t(e.value); break;
        case 262: context.photometric = int32_t(e.value); break;
        case 273:
            if (e.count == 1)
                context.data_offset = int32_t(e.value);
            else
                context.data_offset = int32_t(Get4(context));
            break;
        case 291:
            context.curve_offset = int32_t(e.value);
            context.curve_length = int32_t(e.count);
            break;
        default: break;
        }
        SeekTo(context, e.next);
    }
}

void ReadMakerNoteBalance(TRawDecodeContext& context, int64_t at, bool swapBlue)
{
    SeekTo(context, at);
    const double a = Get2(context), b = Get2(context), c = Get2(context), d = Get2(context);
    context.camera_red = RawRatio(a, b);
    context.camera_blue = swapBlue ? RawRatio(d, c) : RawRatio(c, d);
}

void ParseMakerNote(TRawDecodeContext& context)
{
    const int16_t savedOrder = context.order;
    int64_t base = 0;
    uint8_t buffer[10];
    ReadRawBytes(context, buffer, 10);
    if (std::string(reinterpret_cast<const char*>(buffer), 5) == "Nikon" && buffer[5] == 0) {
        base = Tell(context);
        context.order = int16_t(Get2(context));
        Get2(context);
        SkipBytes(context, int64_t(Get4(context)) - 8);
    } else if (std::string(reinterpret_cast<const char*>(buffer), 5) == "OLYMP") {
        SkipBytes(context, -2);
    } else {
        SkipBytes(context, -10);
    }
    const uint16_t entries = Get2(context);
    for (uint16_t i = 0; i < entries; ++i) {
        const TIfdEntry e = ReadEntry(context, TShortValue::Always);
        const int64_t at = base + e.value;
        if (e.tag == 12) {
            SeekTo(context, at);
            const double a = Get4(context), b = Get4(context), c = Get4(context), d = Get4(context);
            context.camera_red = RawRatio(a, b);
            context.camera_blue = RawRatio(c, d);
        } else if (e.tag == 140) {
            context.curve_offset = int32_t(at + 2112);
        } else if (e.tag == 150) {
            context.curve_offset = int32_t(at + 2);
        } else if (e.tag == 151) {
            if (context.model == "NIKON D100 ") {
                SeekTo(context, at + 72);
                context.camera_red = Get2(context) / 256.0f;
                context.camera_blue = Get2(context) / 256.0f;
            } else if (context.model == "NIKON D2H") {
                ReadMakerNoteBalance(context, at + 10, true);
            } else if (context.model == "NIKON D70") {
                ReadMakerNoteBalance(context, at + 20, false);
            }
        } else if (e.tag == 0x1017) {
            context.camera_red = e.value / 256.0f;
        } else if (e.tag == 0x1018) {
            context.camera_blue = e.value / 256.0f;
        }
        SeekTo(context, e.next);
    }
    context.order = savedOrder;
}

void ParseExif(TRawDecodeContext& context, int64_t base)
{
    const uint16_t entries = Get2(context);
    for (uint16_t i = 0; i < entries; ++i) {
        const TIfdEntry e = ReadEntry(context, TShortValue::Never);
        SeekTo(context, base + e.value);
        if (e.tag == 37500 && (StartsWith(context.make, "NIKON") || StartsWith(context.make, "OLYMPUS")))
            ParseMakerNote(context);
        SeekTo(context, e.next);
    }
}

struct TTiffMemory {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stripOffset = 0;
    int32_t firstStrip = 0;
};

void ParseRawIfds(TRawDecodeContext& context, int64_t base, const TIfdEntry& e)
{
    uint32_t count = e.count;
    if (count > 2 && context.make == "Kodak")
        count = 2;
    if (count < 2) {
        ParseTiffRawIfd(context, base);
        return;
    }
    for (uint32_t i = 0; i < count && base + e.value + 4 * int64_t(i) < context.fsize; ++i) {
        SeekTo(context, base + e.value + 4 * int64_t(i));
        SeekTo(context, base + Get4(context));
        ParseTiffRawIfd(context, base);
    }
}

void HandleTiffEntry(TRawDecodeContext& context, int64_t base, const TIfdEntry& e, TTiffMemory& memory)
{
    switch (e.tag) {
    case 17: context.camera_red = e.value / 256.0f; break;
    case 18: context.camera_blue = e.value / 256.0f; break;
    case 256: memory.width = int32_t(e.value); break;
    case 257: memory.height = int32_t(e.value); break;
    case 271: context.make = ReadRawText(context); break;
    case 272: context.model = ReadRawText(context); break;
    case 273:
        memory.stripOffset = int32_t(e.value);
        memory.firstStrip = int32_t(Get4(context));
        break;
    case 291:
        context.curve_offset = int32_t(e.value);
        context.curve_length = int32_t(e.count);
        break;
    case 305:
        // Files a converter rewrote are no longer the camera's data.
        if (StartsWith(ReadRawText(context), "Adobe"))
            context.make.clear();
        break;
    case 324:
        context.make = "Leaf";
        context.raw_width = memory.width;
        context.raw_height = memory.height;
        context.data_offset = e.count < 2 ? int32_t(e.value) : int32_t(Get4(context));
        break;
    case 330: ParseRawIfds(context, base, e); break;
    case 33405: context.model2 = ReadRawText(context); break;
    case 34665: ParseExif(context, base); break;
    default: break;
    }
}

} // namespace

float RawRatio(double a, double b) { return b == 0 ? 0.0f : float(a / b); }

std::string ReadRawText(TRawDecodeContext& context)
{
    char buffer[64];
    ReadRawBytes(context, buffer, 64);
    buffer[63] = 0;
    return std::string(buffer);
}

void ParseTiff(TRawDecodeContext& context, int64_t base)
{
    SeekTo(context, base);
    context.order = int16_t(Get2(context));
    Get2(context);
    TTiffMemory memory;
    // A chain that loops back stops at the first directory seen twice.
    std::set<uint32_t> visited;
    for (uint32_t doff = Get4(context); doff && base + doff < context.fsize; doff = Get4(context)) {
        if (!visited.insert(doff).second)
            break;
        SeekTo(context, base + doff);
        const uint16_t entries = Get2(context);
        for (uint16_t i = 0; i < entries; ++i) {
            const TIfdEntry e = ReadEntry(context, TShortValue::SmallCounts);
            SeekTo(context, base + e.value);
            HandleTiffEntry(context, base, e, memory);
            SeekTo(context, e.next);
        }
    }
    if (StartsWith(context.make, "OLYMPUS")) {
        context.make = "OLYMPUS";
        context.raw_width = memory.width;
        context.raw_height = (memory.height + 1) & -2;
        context.data_offset = memory.firstStrip;
    }
    if (context.make == "Canon" && context.model != "EOS D2000C")
        context.data_offset = memory.stripOffset;
    if (context.make.empty() && memory.width == 680 && memory.height == 680) {
        context.make = "Imacon";
        context.model = "Ixpress";
    }
}
