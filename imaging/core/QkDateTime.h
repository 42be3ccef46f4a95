#pragma once
// Date-times as the image parameters keep them: days since 30 December
// 1899, the time of day as the fraction.

#include "platform/core/Clock.h"

double SystemTimeToDateTime(const TSystemTime& time);
// Milliseconds are rounded away; a value before the year 1 gives a zero time.
TSystemTime DateTimeToSystemTime(double dateTime);
// Today at midnight, from the installed clock.
double TodayAsDateTime();
