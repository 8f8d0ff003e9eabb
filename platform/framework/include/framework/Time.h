// Calendar time: CTime is a point in time (seconds since 1970, UTC) read and written in local time;
// CTimeSpan a difference of two. The current time comes from the system clock unless a test has put
// a stand-in in its place (framework/Seams.h).
#pragma once

#include <windows.h>

#include <framework/String.h>

// A convenience macro of the Win32 headers that would take over the member of its name.
#undef GetCurrentTime

class CTimeSpan {
public:
    CTimeSpan() = default;
    explicit CTimeSpan(__time64_t seconds) : m_span(seconds) {}
    CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
        : m_span(((static_cast<__time64_t>(lDays) * 24 + nHours) * 60 + nMins) * 60 + nSecs) {}

    __time64_t GetTimeSpan() const { return m_span; }
    LONGLONG GetDays() const { return m_span / 86400; }
    LONGLONG GetTotalHours() const { return m_span / 3600; }
    LONGLONG GetTotalMinutes() const { return m_span / 60; }
    LONGLONG GetTotalSeconds() const { return m_span; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONG GetSeconds() const { return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60); }

    CTimeSpan operator+(CTimeSpan other) const { return CTimeSpan(m_span + other.m_span); }
    CTimeSpan operator-(CTimeSpan other) const { return CTimeSpan(m_span - other.m_span); }
    bool operator==(CTimeSpan other) const { return m_span == other.m_span; }
    bool operator!=(CTimeSpan other) const { return m_span != other.m_span; }
    bool operator<(CTimeSpan other) const { return m_span < other.m_span; }
    bool operator>(CTimeSpan other) const { return m_span > other.m_span; }
    bool operator<=(CTimeSpan other) const { return m_span <= other.m_span; }
    bool operator>=(CTimeSpan other) const { return m_span >= other.m_span; }

private:
    __time64_t m_span = 0;
};

class CTime {
public:
    CTime() = default;
    explicit CTime(__time64_t time) : m_time(time) {}
    // Local date and time; nDST is accepted for familiarity, the time zone's own rule decides.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    explicit CTime(const SYSTEMTIME& st, int nDST = -1);
    explicit CTime(const FILETIME& ft, int nDST = -1);

    static CTime GetCurrentTime();

    __time64_t GetTime() const { return m_time; }
    int GetYear() const { return Local().wYear; }
    int GetMonth() const { return Local().wMonth; }
    int GetDay() const { return Local().wDay; }
    int GetHour() const { return Local().wHour; }
    int GetMinute() const { return Local().wMinute; }
    int GetSecond() const { return Local().wSecond; }
    // 1 = Sunday ... 7 = Saturday.
    int GetDayOfWeek() const { return Local().wDayOfWeek + 1; }
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime conventions on the local (Format) or UTC (FormatGmt) fields.
    CString Format(LPCWSTR pszFormat) const;
    CString FormatGmt(LPCWSTR pszFormat) const;

    CTimeSpan operator-(CTime other) const { return CTimeSpan(m_time - other.m_time); }
    CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTimeSpan()); }
    CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTimeSpan()); }
    CTime& operator+=(CTimeSpan span) { m_time += span.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan span) { m_time -= span.GetTimeSpan(); return *this; }
    bool operator==(CTime other) const { return m_time == other.m_time; }
    bool operator!=(CTime other) const { return m_time != other.m_time; }
    bool operator<(CTime other) const { return m_time < other.m_time; }
    bool operator>(CTime other) const { return m_time > other.m_time; }
    bool operator<=(CTime other) const { return m_time <= other.m_time; }
    bool operator>=(CTime other) const { return m_time >= other.m_time; }

private:
    SYSTEMTIME Local() const;
    SYSTEMTIME Utc() const;
    __time64_t m_time = 0;
};
