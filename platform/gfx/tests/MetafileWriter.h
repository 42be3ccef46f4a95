#pragma once
// Writes small Windows and enhanced metafiles record by record, for the
// metafile player's tests.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/core/Streams.h"

class MetafileWriter {
public:
    // A Windows metafile record: the function and its 16-bit parameters.
    void Wmf(uint16_t function, std::initializer_list<int32_t> words) { WmfWords(function, words); }
    // An enhanced record: the type and its 32-bit parameters.
    void Emf(uint32_t type, std::initializer_list<int32_t> values) { EmfValues(type, values); }
    void WmfWords(uint16_t function, const std::vector<int32_t>& words)
    {
        Put32(uint32_t(3 + words.size()));
        Put16(function);
        for (int32_t word : words)
            Put16(static_cast<uint16_t>(word));
    }
    void EmfValues(uint32_t type, const std::vector<int32_t>& values)
    {
        Put32(type);
        Put32(uint32_t(8 + 4 * values.size()));
        for (int32_t value : values)
            Put32(static_cast<uint32_t>(value));
    }
    // Raw bytes inside the record being written.
    void Put16(uint16_t value)
    {
        records_.push_back(uint8_t(value));
        records_.push_back(uint8_t(value >> 8));
    }
    void Put32(uint32_t value)
    {
        Put16(uint16_t(value));
        Put16(uint16_t(value >> 16));
    }

    // Placeable (bounding box right x bottom at `inch` units an inch) or
    // plain, with an end record.
    std::vector<uint8_t> WindowsFile(bool placeable, int16_t right, int16_t bottom, uint16_t inch = 96,
                                     uint16_t objects = 8)
    {
        MetafileWriter file;
        if (placeable) {
            const uint16_t words[] = {0xCDD7, 0x9AC6, 0, 0, 0, uint16_t(right), uint16_t(bottom), inch, 0, 0};
            uint16_t checksum = 0;
            for (uint16_t word : words) {
                file.Put16(word);
                checksum ^= word;
            }
            file.Put16(checksum);
        }
        const uint32_t size = uint32_t(9 + records_.size() / 2 + 3);
        for (uint16_t word : {uint16_t(1), uint16_t(9), uint16_t(0x0300)})
            file.Put16(word);
        file.Put32(size);
        file.Put16(objects);
        file.Put32(size);
        file.Put16(0);
        file.records_.insert(file.records_.end(), records_.begin(), records_.end());
        file.Wmf(0, {});
        return file.records_;
    }

    // An enhanced metafile whose frame maps one-to-one onto a width x height
    // pixel target: a frame of width x height hundredths of a millimetre on
    // a reference device of one pixel a hundredth millimetre.
    std::vector<uint8_t> EnhancedFile(int32_t width, int32_t height, uint16_t handles = 8)
    {
        MetafileWriter file;
        const uint32_t headerSize = 88;
        const int32_t header[] = {1,          int32_t(headerSize),
                                  0,          0,
                                  width,      height,
                                  0,          0,
                                  width,      height,
                                  0x464D4520, 0x10000,
                                  0,          0,
                                  handles,    0,
                                  0,          0,
                                  1000,       1000,
                                  10,         10};
        for (int32_t value : header)
            file.Put32(static_cast<uint32_t>(value));
        file.records_.insert(file.records_.end(), records_.begin(), records_.end());
        file.Emf(14, {0, 0, 20});
        const uint32_t total = uint32_t(file.records_.size());
        for (int i = 0; i < 4; ++i)
            file.records_[48 + i] = uint8_t(total >> (8 * i));
        return file.records_;
    }

private:
    std::vector<uint8_t> records_;
};
