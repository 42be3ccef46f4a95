#pragma once
// The library started with the formats' start-up for each test, and small
// helpers for streams over fixture bytes.

#include <gtest/gtest.h>

#include <string>

#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIOStartup.h"
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
