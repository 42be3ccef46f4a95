#pragma once
// Large zero-filled blocks outside the ordinary heap and the machine's
// physical memory. Every block is zero-filled; sizes are 64-bit.

#include <cstdint>

// A zero-filled block, or nullptr when the size is negative or the memory
// is short. Free with GlobalFreeAndNil.
void* GlobalAllocZero(int64_t size);
void GlobalFreeAndNil(void*& block);

// A zero-filled block of `size` bytes whose address is one byte past a
// tag byte naming its allocator: below 1 MB the heap, falling back to
// GlobalAllocZero; from 1 MB up GlobalAllocZero. The address is therefore
// byte-aligned only. nullptr when no allocator can serve it. Free with
// FreeMixed, which clears the variable.
uint8_t* AllocMixed(int64_t size);
void FreeMixed(uint8_t*& address);

// A zero-filled heap block, or nullptr instead of an exception when memory
// is short. Free with FreeMem, which clears the variable.
bool TryGetMem(void*& address, int64_t size);
void FreeMem(void*& address);

// The machine's physical memory in bytes (read once), or with `available`
// the memory available now; both capped by the process's cgroup memory limit.
int64_t GetPhysicalMemory(bool available);
