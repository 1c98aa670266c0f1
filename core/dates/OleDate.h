#pragma once
// An OLE Automation date: days since 1899-12-30 00:00:00 as a double, the
// fraction being the time of day (for dates before day 0 the fraction still
// counts forward: -1.25 is 1899-12-29 06:00), with a valid/invalid status.

namespace qz {

struct DayTime;

struct OleDate {
    double value = 0.0;
    bool valid = false;

    static OleDate Invalid() { return {}; }
    // Invalid when a part is out of range (month 1-12, day within the month,
    // hour 0-23, minute and second 0-59, year 100-9999).
    static OleDate FromParts(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0);

    // The date of a day number and second of the day (0 to 86399).
    static OleDate FromDayTime(const DayTime& moment);
    // The day number and second of the day of a valid date, rounded to the
    // nearest second; false when invalid or outside the years 100 to 9999.
    bool ToDayTime(DayTime& moment) const;

    // Calendar parts of a valid date, rounded to the nearest second.
    bool GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const;

    // The same calendar day at 00:00:00; an invalid date stays invalid.
    OleDate DateOnly() const;
    // One calendar day later, same time of day.
    OleDate NextDay() const;
};

}  // namespace qz
