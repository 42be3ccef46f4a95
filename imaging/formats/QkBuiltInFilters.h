#pragma once
// Fills the format rows of the filters built into the library.

void RegisterBuiltInFilters();
