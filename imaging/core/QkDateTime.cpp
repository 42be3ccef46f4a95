#include "imaging/core/QkDateTime.h"

#include <cmath>

namespace {

constexpr int64_t DaysFrom1899To1970 = 25569;
constexpr double SecondsPerDay = 86400.0;

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, TSystemTime& time)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    time.Day = static_cast<uint16_t>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.Month = static_cast<uint16_t>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.Year = static_cast<uint16_t>(yearOfEra + era * 400 + (time.Month <= 2 ? 1 : 0));
}

} // namespace

double SystemTimeToDateTime(const TSystemTime& time)
{
    const double days = static_cast<double>(DaysFromCivil(time.Year, time.Month, time.Day) + DaysFrom1899To1970);
    const double seconds = time.Hour * 3600.0 + time.Minute * 60.0 + time.Second + time.Millisecond / 1000.0;
    return days + seconds / SecondsPerDay;
}

TSystemTime DateTimeToSystemTime(double dateTime)
{
    TSystemTime time;
    const double lowest = static_cast<double>(DaysFromCivil(1, 1, 1) + DaysFrom1899To1970);
    if (!(dateTime >= lowest) || dateTime >= 3.0e6)
        return time;
    const auto totalSeconds = static_cast<int64_t>(std::llround(dateTime * SecondsPerDay));
    const int64_t days = totalSeconds / 86400;
    const int64_t seconds = totalSeconds % 86400;
    CivilFromDays(days - DaysFrom1899To1970, time);
    time.Hour = static_cast<uint16_t>(seconds / 3600);
    time.Minute = static_cast<uint16_t>(seconds / 60 % 60);
    time.Second = static_cast<uint16_t>(seconds % 60);
    return time;
}

double TodayAsDateTime()
{
    TSystemTime today = GetLocalTime();
    today.Hour = today.Minute = today.Second = today.Millisecond = 0;
    return SystemTimeToDateTime(today);
}
