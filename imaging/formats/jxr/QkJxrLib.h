#pragma once
// jxrlib's glue header without the macros it leaves behind (its source
// annotations such as __bound, and min, max, Report, Call, Failed, ...),
// which would rewrite the standard library's and our own names included
// after it.

#include <JXRGlue.h>
#include <wmspecstrings_undef.h>

#undef min
#undef max
#undef Report
#undef Call
#undef CallIgnoreError
#undef Failed
#undef SA
#undef FAR
#undef CRLF
#undef UNREFERENCED_PARAMETER
