#pragma once
// The pieces of the engine's option strings: options after one blank each,
// comma-joined filter chains, numbers in the form the engine's parsers read,
// and the escaping a file name needs on its way through the option-string
// splitter, the filter-graph parser and a filter's option parser.

#include <cstdint>
#include <string>

// Appends one blank and the option.
void AddOption(std::string& options, const std::string& option);
// Appends "," and the filter, or takes the filter alone on an empty chain; an
// empty filter adds nothing.
void AddFilter(std::string& chain, const std::string& filter);

// The shortest decimal text that reads back as the same double, with "." and
// never an exponent: 12.2, 4.75, 128, 100000, 0.0001.
std::string ShortestDecimal(double value);
// Microseconds as seconds in the shortest decimal form: 500000 gives 0.5.
std::string SecondsText(int64_t microseconds);

// 1 -> "001", 12 -> "012", 1000 -> "1000".
std::string ZeroPad3(int32_t n);

// The value of a filter option ("movie=<value>"): "\ ' : =" and leading or
// trailing blanks take a backslash.
std::string EscapeFilterOptionValue(const std::string& value);
// Text inside a filter graph description: "\ ' [ ] , ;" and leading or
// trailing blanks take a backslash.
std::string EscapeFilterGraphText(const std::string& text);
// A value in double quotes for the engine's option-string splitter: a double
// quote becomes \" and the backslashes before it, or before the closing
// quote, are doubled; every other backslash stays as it is.
std::string QuoteOptionValue(const std::string& value);
