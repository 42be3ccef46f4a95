#pragma once
// Versions of the system's common controls and shell, as 64-bit values: the
// most significant half of the file version in the high 32 bits, the least
// significant half in the low 32 bits. Linux has no such libraries; the
// controls are built to behave like the modern generation (common controls
// 6.0), so that is what is reported.

#include <cstdint>

constexpr uint64_t MakeFileVersion(uint16_t major, uint16_t minor, uint16_t release, uint16_t build)
{
    return (uint64_t{major} << 48) | (uint64_t{minor} << 32) | (uint64_t{release} << 16) | build;
}

constexpr uint64_t ComCtlVersion = MakeFileVersion(6, 0, 0, 0);
constexpr uint64_t ShellVersion = MakeFileVersion(6, 0, 0, 0);

// The most significant half of a file version (major << 16 | minor).
constexpr uint32_t FileVersionMS(uint64_t version) { return static_cast<uint32_t>(version >> 32); }
