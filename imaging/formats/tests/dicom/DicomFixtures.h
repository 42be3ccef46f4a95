#pragma once
// Small DICOM files built in the tests: explicit little-endian elements
// after the preamble and file meta group, with the transfer syntax given.

#include <cstdint>
#include <string>
#include <vector>

class TDicomFixture {
public:
    explicit TDicomFixture(const std::string& transferSyntax = "1.2.840.10008.1.2.1")
    {
        bytes_.assign(128, '\0');
        bytes_ += "DICM";
        Text(0x0002, 0x0010, "UI", transferSyntax);
    }

    TDicomFixture& Element(uint16_t group, uint16_t element, const std::string& vr, const std::string& value)
    {
        Tag(group, element);
        bytes_ += vr;
        if (vr == "OB" || vr == "OW" || vr == "SQ" || vr == "UN" || vr == "UT") {
            bytes_ += std::string(2, '\0');
            Long(uint32_t(value.size()));
        } else {
            Short(uint16_t(value.size()));
        }
        bytes_ += value;
        return *this;
    }

    // Padded to even length with a space (a NUL for UIDs).
    TDicomFixture& Text(uint16_t group, uint16_t element, const std::string& vr, std::string text)
    {
        if (text.size() % 2 != 0)
            text.push_back(vr == "UI" ? '\0' : ' ');
        return Element(group, element, vr, text);
    }

    TDicomFixture& Unsigned(uint16_t group, uint16_t element, uint16_t value)
    {
        return Element(group, element, "US", Word(value));
    }

    // Rows, columns, samples, bits allocated and stored, representation and
    // photometric interpretation.
    TDicomFixture& Image(int rows, int columns, int samples, int bits, int stored, int representation,
                         const std::string& photometric)
    {
        Unsigned(0x0028, 0x0002, uint16_t(samples));
        Text(0x0028, 0x0004, "CS", photometric);
        Unsigned(0x0028, 0x0010, uint16_t(rows));
        Unsigned(0x0028, 0x0011, uint16_t(columns));
        Unsigned(0x0028, 0x0100, uint16_t(bits));
        Unsigned(0x0028, 0x0101, uint16_t(stored));
        return Unsigned(0x0028, 0x0103, uint16_t(representation));
    }

    TDicomFixture& Pixels(const std::string& data)
    {
        return Element(0x7FE0, 0x0010, data.size() % 2 ? "OB" : "OW", data);
    }

    // Encapsulated pixel data: an offset table and the fragments.
    TDicomFixture& Fragments(const std::vector<uint32_t>& offsets, const std::vector<std::string>& fragments)
    {
        Tag(0x7FE0, 0x0010);
        bytes_ += "OB";
        bytes_ += std::string(2, '\0');
        Long(0xFFFFFFFF);
        std::string table;
        for (uint32_t offset : offsets)
            table += LongBytes(offset);
        Item(table);
        for (const std::string& fragment : fragments)
            Item(fragment);
        Tag(0xFFFE, 0xE0DD);
        Long(0);
        return *this;
    }

    static std::string Word(uint16_t value) { return {char(value & 0xFF), char(value >> 8)}; }
    static std::string LongBytes(uint32_t value) { return Word(uint16_t(value)) + Word(uint16_t(value >> 16)); }

    const std::string& Bytes() const { return bytes_; }

private:
    void Tag(uint16_t group, uint16_t element) { bytes_ += Word(group) + Word(element); }
    void Short(uint16_t value) { bytes_ += Word(value); }
    void Long(uint32_t value) { bytes_ += LongBytes(value); }
    void Item(const std::string& data)
    {
        Tag(0xFFFE, 0xE000);
        Long(uint32_t(data.size()));
        bytes_ += data;
    }

    std::string bytes_;
};
