#include "imaging/formats/fax/FaxCodeTables.h"

#include <string_view>

namespace {

// Code words as written in T.4 Tables 2 and 3, runs 0-63 then 64-1728.
constexpr std::array<std::string_view, 91> WhiteCodes{
    "00110101", "000111", "0111", "1000", "1011", "1100", "1110", "1111", "10011", "10100", "00111", "01000", "001000",
    "000011", "110100", "110101", "101010", "101011", "0100111", "0001100", "0001000", "0010111", "0000011", "0000100",
    "0101000", "0101011", "0010011", "0100100", "0011000", "00000010", "00000011", "00011010", "00011011", "00010010",
    "00010011", "00010100", "00010101", "00010110", "00010111", "00101000", "00101001", "00101010", "00101011",
    "00101100", "00101101", "00000100", "00000101", "00001010", "00001011", "01010010", "01010011", "01010100",
    "01010101", "00100100", "00100101", "01011000", "01011001", "01011010", "01011011", "01001010", "01001011",
    "00110010", "00110011", "00110100",
    // make-up 64-1728
    "11011", "10010", "010111", "0110111", "00110110", "00110111", "01100100", "01100101", "01101000", "01100111",
    "011001100", "011001101", "011010010", "011010011", "011010100", "011010101", "011010110", "011010111", "011011000",
    "011011001", "011011010", "011011011", "010011000", "010011001", "010011010", "011000", "010011011"};

constexpr std::array<std::string_view, 91> BlackCodes{
    "0000110111", "010", "11", "10", "011", "0011", "0010", "00011", "000101", "000100", "0000100", "0000101",
    "0000111", "00000100", "00000111", "000011000", "0000010111", "0000011000", "0000001000", "00001100111",
    "00001101000", "00001101100", "00000110111", "00000101000", "00000010111", "00000011000", "000011001010",
    "000011001011", "000011001100", "000011001101", "000001101000", "000001101001", "000001101010", "000001101011",
    "000011010010", "000011010011", "000011010100", "000011010101", "000011010110", "000011010111", "000001101100",
    "000001101101", "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111", "000000111000",
    "000000100111", "000000101000", "000001011000", "000001011001", "000000101011", "000000101100", "000001011010",
    "000001100110", "000001100111",
    // make-up 64-1728
    "0000001111", "000011001000", "000011001001", "000001011011", "000000110011", "000000110100", "000000110101",
    "0000001101100", "0000001101101", "0000001001010", "0000001001011", "0000001001100", "0000001001101",
    "0000001110010", "0000001110011", "0000001110100", "0000001110101", "0000001110110", "0000001110111",
    "0000001010010", "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

// Make-up codes 1792-2560, shared by both colours.
constexpr std::array<std::string_view, 13> ExtendedMakeUpCodes{
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011", "000000010100", "000000010101",
    "000000010110", "000000010111", "000000011100", "000000011101", "000000011110", "000000011111"};

constexpr std::array<std::string_view, FaxModeCount> ModeCodes{
    "000000000000", "0001",   "001",     "0000010",    "000010",       "010",         "1",
    "011",          "000011", "0000011", "0000001111", "000000001111", "000000000001"};

TFaxCode ParseCode(std::string_view bits, int32_t run)
{
    uint32_t value = 0;
    for (char bit : bits)
        value = value << 1 | (bit == '1' ? 1u : 0u);
    return {static_cast<int32_t>(bits.size()), value, run};
}

TFaxRunTable BuildRunTable(const std::array<std::string_view, 91>& codes)
{
    TFaxRunTable table{};
    for (int32_t i = 0; i < 64; ++i)
        table[i] = ParseCode(codes[i], i);
    for (int32_t i = 64; i < 91; ++i)
        table[i] = ParseCode(codes[i], (i - 63) * 64);
    for (int32_t i = 0; i < 13; ++i)
        table[91 + i] = ParseCode(ExtendedMakeUpCodes[i], 1792 + i * 64);
    table[104] = {12, 1, FaxRunEndOfLine};
    for (int32_t i = 105; i < 108; ++i)
        table[i] = {i - 96, 1, FaxRunIgnored};
    for (int32_t i = 108; i < 128; ++i)
        table[i] = {i - 95, 1, FaxRunEndOfLine};
    return table;
}

} // namespace

const TFaxRunTable& FaxRunCodes(bool black)
{
    static const TFaxRunTable White = BuildRunTable(WhiteCodes);
    static const TFaxRunTable Black = BuildRunTable(BlackCodes);
    return black ? Black : White;
}

int32_t FaxMakeUpEntry(int32_t run) { return run <= 1728 ? 63 + run / 64 : 91 + (run - 1792) / 64; }

const std::array<TFaxCode, FaxModeCount>& FaxModeCodes()
{
    static const std::array<TFaxCode, FaxModeCount> Codes = [] {
        std::array<TFaxCode, FaxModeCount> codes{};
        for (int32_t i = 0; i < FaxModeCount; ++i)
            codes[i] = ParseCode(ModeCodes[i], i);
        return codes;
    }();
    return Codes;
}

TFaxCodeTree::TFaxCodeTree(const TFaxRunTable& codes) : nodes_(1)
{
    for (int32_t entry = 0; entry < static_cast<int32_t>(codes.size()); ++entry) {
        int32_t node = 0;
        for (int32_t bit = codes[entry].Length - 1; bit >= 0; --bit) {
            const int32_t side = (codes[entry].Value >> bit) & 1;
            if (nodes_[node].Child[side] < 0) {
                nodes_[node].Child[side] = static_cast<int32_t>(nodes_.size());
                nodes_.emplace_back();
            }
            node = nodes_[node].Child[side];
        }
        nodes_[node].Entry = entry;
    }
}

int32_t TFaxCodeTree::Decode(uint32_t window) const
{
    int32_t node = 0;
    for (int32_t bit = 31; bit >= 0; --bit) {
        node = nodes_[node].Child[(window >> bit) & 1];
        if (node < 0)
            return -1;
        if (nodes_[node].Entry >= 0)
            return nodes_[node].Entry;
    }
    return -1;
}

const TFaxCodeTree& FaxCodeTree(bool black)
{
    static const TFaxCodeTree White(FaxRunCodes(false));
    static const TFaxCodeTree Black(FaxRunCodes(true));
    return black ? Black : White;
}

void CcittStaticInit()
{
    FaxCodeTree(false);
    FaxCodeTree(true);
}
