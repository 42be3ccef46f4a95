#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTagsHandler.h"

namespace {

using TBytes = std::vector<uint8_t>;

void Put(TBytes& bytes, size_t at, uint32_t value, int size, bool little)
{
    for (int i = 0; i < size; ++i)
        bytes[at + (little ? i : size - 1 - i)] = static_cast<uint8_t>(value >> (8 * i));
}

// How a hand-built note is laid out: the reader's form of each maker.
struct TNoteForm {
    std::string Header;
    int HeaderKind;
    int OffsetBase;
    bool Little;
};

// A note at stream position `position` with two entries: tag 1, a SHORT
// of 7 inline, and tag 2, the ASCII text "Hello" (6 bytes) out of line.
TBytes BuildNote(const TNoteForm& form, int64_t position, const std::string& embeddedOrder = "II")
{
    TBytes note(form.Header.begin(), form.Header.end());
    const int64_t origin = form.HeaderKind == 1 ? int64_t(form.Header.size()) : 0;
    if (form.HeaderKind == 1) {
        note.insert(note.end(), embeddedOrder.begin(), embeddedOrder.end());
        note.resize(note.size() + 6);
        Put(note, note.size() - 6, 42, 2, form.Little);
        Put(note, note.size() - 4, 8, 4, form.Little);
    } else if (form.HeaderKind == 2) {
        note.resize(note.size() + 4);
        Put(note, note.size() - 4, 12, 4, true);
    }
    const size_t entries = note.size() + 2;
    const size_t data = entries + 2 * 12 + 4;
    note.resize(data + 6);
    Put(note, entries - 2, 2, 2, form.Little);
    Put(note, entries, 1, 2, form.Little);
    Put(note, entries + 2, 3, 2, form.Little);
    Put(note, entries + 4, 1, 4, form.Little);
    Put(note, entries + 8, 7, 2, form.Little);
    Put(note, entries + 12, 2, 2, form.Little);
    Put(note, entries + 14, 2, 2, form.Little);
    Put(note, entries + 16, 6, 4, form.Little);
    const int64_t value = form.OffsetBase == 0 ? position + int64_t(data) : int64_t(data) - origin;
    Put(note, entries + 20, static_cast<uint32_t>(value), 4, form.Little);
    const std::string hello("Hello", 6);
    std::copy(hello.begin(), hello.end(), note.begin() + long(data));
    return note;
}

// Reads a note placed at `position` of a stream.
void ReadNote(TQkTagsHandler& handler, const TBytes& note, int64_t position, bool littleEndian)
{
    TBytes stream(size_t(position), 0xEE);
    stream.insert(stream.end(), note.begin(), note.end());
    TQkMemStream input(stream.data(), int64_t(stream.size()));
    input.SetPosition(position);
    handler.ReadFromStream(input, static_cast<int32_t>(note.size()), littleEndian);
}

TBytes WriteNote(TQkTagsHandler& handler, int64_t position, bool littleEndian, int32_t* written = nullptr)
{
    TMemoryStream output;
    output.SetSize(position);
    output.SetPosition(position);
    const int32_t length = handler.WriteToStream(output, littleEndian);
    if (written != nullptr)
        *written = length;
    const auto* bytes = static_cast<const uint8_t*>(output.Memory());
    return TBytes(bytes + position, bytes + output.Size());
}

std::string ValueText(TQkTagsHandler& handler, const TQkTagsEntry& entry)
{
    const auto* bytes = static_cast<const char*>(handler.DirectoryStream().Memory());
    return std::string(bytes + entry.Value, entry.Count);
}

} // namespace

// Every maker's note, read and written back at the same place, keeps its
// bytes, and reads again to the same entries.
TEST(TagsHandler, EveryMakerRoundTrips)
{
    const std::string sonyCam("SONY CAM \0\0\0", 12), sonyDsc("SONY DSC \0\0\0", 12);
    const std::string nikon3("Nikon\0\x02\x10\0\0", 10), qvc("QVC\0\0\0", 6), epson("EPSON\0\x01\0", 8);
    const std::string nikon1("Nikon\0\x01\0", 8), panasonic("Panasonic\0\0\0", 12);
    struct TCase {
        TNoteForm Form;
        bool FileLittleEndian;
        std::string EmbeddedOrder;
    };
    const TCase cases[] = {
        {{sonyCam, 0, 0, true}, true, ""},   {{sonyDsc, 0, 0, false}, false, ""}, {{nikon3, 1, 1, false}, true, "MM"},
        {{nikon3, 1, 1, true}, false, "II"}, {{qvc, 0, 0, false}, true, ""},      {{epson, 0, 0, true}, true, ""},
        {{nikon1, 0, 0, false}, false, ""},  {{panasonic, 0, 0, true}, true, ""}, {{"FUJIFILM", 2, 1, true}, false, ""},
        {{"", 0, 0, false}, false, ""},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Form.Header.c_str() + std::string(test.FileLittleEndian ? " in II" : " in MM"));
        const int64_t position = 30;
        const TBytes note = BuildNote(test.Form, position, test.EmbeddedOrder);
        TQkTagsHandler handler;
        ReadNote(handler, note, position, test.FileLittleEndian);
        ASSERT_EQ(handler.Entries().size(), 2u);
        EXPECT_EQ(handler.DeviceInfo().Header, test.Form.Header);
        EXPECT_EQ(handler.RawData(), note);
        const TQkTagsEntry& shortEntry = handler.Entries()[0];
        EXPECT_EQ(shortEntry.Tag, 1);
        EXPECT_EQ(shortEntry.Type, 3);
        EXPECT_EQ(shortEntry.Count, 1u);
        const TQkTagsEntry& text = handler.Entries()[1];
        EXPECT_EQ(text.Tag, 2);
        EXPECT_EQ(text.Count, 6u);
        EXPECT_EQ(text.Value, 2u + 2 * 12);
        EXPECT_EQ(ValueText(handler, text), std::string("Hello", 6));

        int32_t length = 0;
        const TBytes written = WriteNote(handler, position, test.FileLittleEndian, &length);
        EXPECT_EQ(written, note);
        EXPECT_EQ(length, int32_t(note.size()));
        TQkTagsHandler reread;
        ReadNote(reread, written, position, test.FileLittleEndian);
        EXPECT_EQ(reread.Entries(), handler.Entries());
        EXPECT_EQ(reread.DeviceInfo(), handler.DeviceInfo());
    }
}

TEST(TagsHandler, NikonWithBigEndianEmbeddedHeader)
{
    const std::string nikon3("Nikon\0\x02\x10\0\0", 10);
    TBytes note = BuildNote({nikon3, 1, 1, false}, 0, "MM");
    // Any directory offset in the embedded header is written back as 8.
    note[10 + 7] = 9;
    TQkTagsHandler handler;
    ReadNote(handler, note, 0, true);
    ASSERT_EQ(handler.Entries().size(), 2u);
    EXPECT_EQ(handler.DeviceInfo().OffsetBase, 1);
    EXPECT_EQ(handler.DeviceInfo().HeaderKind, 1);
    EXPECT_EQ(handler.DeviceInfo().EmbeddedHeader.substr(0, 2), "MM");
    EXPECT_EQ(ValueText(handler, handler.Entries()[1]), std::string("Hello", 6));
    const TBytes written = WriteNote(handler, 0, true);
    EXPECT_EQ(TBytes(written.begin(), written.begin() + 10), TBytes(nikon3.begin(), nikon3.end()));
    EXPECT_EQ(written[17], 8);
    note[10 + 7] = 8;
    EXPECT_EQ(written, note);
}

TEST(TagsHandler, MakersAreTellApart)
{
    const std::string nikon1("Nikon\0\x01\0", 8);
    EXPECT_EQ(FindMakerNoteDevice(reinterpret_cast<const uint8_t*>(nikon1.data()), 8).Header, nikon1);
    const TBytes note = BuildNote({std::string("QVC\0\0\0", 6), 0, 0, false}, 0);
    TQkTagsHandler handler;
    ReadNote(handler, note, 0, true); // big-endian whatever the file says
    ASSERT_EQ(handler.Entries().size(), 2u);
    EXPECT_EQ(handler.Entries()[0].Tag, 1);
    EXPECT_EQ(handler.DeviceInfo().ByteOrder, 3);
}

// Notes whose directory or values leave the note.
TEST(TagsHandler, UntrustedSizes)
{
    const TNoteForm sony{std::string("SONY DSC \0\0\0", 12), 0, 0, true};
    TQkTagsHandler handler;

    TBytes tooMany = BuildNote(sony, 0);
    Put(tooMany, 12, 257, 2, true);
    ReadNote(handler, tooMany, 0, true);
    EXPECT_TRUE(handler.Entries().empty());
    EXPECT_TRUE(handler.RawData().empty());

    TBytes pastEnd = BuildNote(sony, 0);
    Put(pastEnd, 12, 200, 2, true); // 200 entries do not fit the note
    ReadNote(handler, pastEnd, 0, true);
    EXPECT_TRUE(handler.Entries().empty());

    TBytes fuji = BuildNote({"FUJIFILM", 2, 1, true}, 0);
    Put(fuji, 8, 0xFFFFFFF0u, 4, true); // directory offset far outside
    ReadNote(handler, fuji, 0, true);
    EXPECT_TRUE(handler.Entries().empty());

    // The text starts inside the note and runs past its end: count 0.
    TBytes runsOver = BuildNote(sony, 0);
    Put(runsOver, 14 + 12 + 4, 1000, 4, true); // count of tag 2
    ReadNote(handler, runsOver, 0, true);
    ASSERT_EQ(handler.Entries().size(), 2u);
    EXPECT_EQ(handler.Entries()[1].Count, 0u);
    EXPECT_EQ(handler.Entries()[1].Value, 0u);

    // Offsets counted before the note's start fall outside it.
    ReadNote(handler, BuildNote(sony, 0), 50, true);
    ASSERT_EQ(handler.Entries().size(), 2u);
    EXPECT_EQ(handler.Entries()[1].Count, 0u);

    const TBytes tiny{'S'};
    ReadNote(handler, tiny, 0, true);
    EXPECT_TRUE(handler.RawData().empty());
    const TBytes cutHeader{'S', 'O', 'N'};
    ReadNote(handler, cutHeader, 0, true);
    EXPECT_TRUE(handler.Entries().empty());
}

TEST(TagsHandler, LargeNotesReportNothingWritten)
{
    TQkTagsHandler handler;
    TMemoryStream& directory = handler.DirectoryStream();
    // One UNDEFINED value of 70000 bytes.
    TBytes bytes(2 + 12 + 70000, 0);
    Put(bytes, 0, 1, 2, true);
    Put(bytes, 2, 5, 2, true);
    Put(bytes, 4, 7, 2, true);
    Put(bytes, 6, 70000, 4, true);
    Put(bytes, 10, 14, 4, true);
    directory.Write(bytes.data(), int64_t(bytes.size()));
    handler.ReadDirectory();
    ASSERT_EQ(handler.Entries().size(), 1u);
    TMemoryStream output;
    EXPECT_EQ(handler.WriteToStream(output), 0);
    EXPECT_EQ(output.Position(), 0);
}

TEST(TagsHandler, AssignCopiesEverything)
{
    TQkTagsHandler source, copy;
    ReadNote(source, BuildNote({"FUJIFILM", 2, 1, true}, 0), 0, true);
    copy.Assign(source);
    EXPECT_EQ(copy.Entries(), source.Entries());
    EXPECT_EQ(copy.RawData(), source.RawData());
    EXPECT_EQ(copy.DeviceInfo(), source.DeviceInfo());
    EXPECT_EQ(WriteNote(copy, 0, true), WriteNote(source, 0, true));
    const TQkTagsHandler empty;
    copy.Assign(empty);
    EXPECT_TRUE(copy.Entries().empty());
    EXPECT_TRUE(copy.RawData().empty());
    EXPECT_EQ(copy.DirectoryStream().Size(), 0);
}
