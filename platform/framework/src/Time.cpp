#include <framework/Seams.h>
#include <framework/Time.h>

#include <ctime>
#include <mutex>

namespace {

// 100-ns intervals between 1601-01-01 (FILETIME) and 1970-01-01 (time_t).
constexpr LONGLONG kEpochDifference = 116444736000000000LL;

// Set and cleared by tests between runs of the code under test; read by whatever thread asks the time.
std::mutex g_clockLock;
framework::ClockStandIn g_clock;

FILETIME ToFileTime(__time64_t time) {
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(time * 10000000LL + kEpochDifference);
    return FILETIME{value.LowPart, value.HighPart};
}

__time64_t FromFileTime(const FILETIME& ft) {
    ULARGE_INTEGER value{{ft.dwLowDateTime, ft.dwHighDateTime}};
    return static_cast<__time64_t>((static_cast<LONGLONG>(value.QuadPart) - kEpochDifference) / 10000000LL);
}

__time64_t FromLocal(const SYSTEMTIME& local) {
    SYSTEMTIME utc;
    FILETIME ft;
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &ft)) return 0;
    return FromFileTime(ft);
}

CString FormatFields(const SYSTEMTIME& st, LPCWSTR format) {
    std::tm fields = {};
    fields.tm_year = st.wYear - 1900;
    fields.tm_mon = st.wMonth - 1;
    fields.tm_mday = st.wDay;
    fields.tm_hour = st.wHour;
    fields.tm_min = st.wMinute;
    fields.tm_sec = st.wSecond;
    fields.tm_wday = st.wDayOfWeek;
    fields.tm_isdst = -1;
    wchar_t buffer[256];
    size_t length = std::wcsftime(buffer, 256, format, &fields);
    return CString(buffer, static_cast<int>(length));
}

}  // namespace

namespace framework {
void SetClockStandIn(ClockStandIn standIn) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    g_clock = std::move(standIn);
}
}  // namespace framework

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int) {
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(nYear);
    local.wMonth = static_cast<WORD>(nMonth);
    local.wDay = static_cast<WORD>(nDay);
    local.wHour = static_cast<WORD>(nHour);
    local.wMinute = static_cast<WORD>(nMin);
    local.wSecond = static_cast<WORD>(nSec);
    m_time = FromLocal(local);
}

CTime::CTime(const SYSTEMTIME& st, int) : m_time(FromLocal(st)) {}

CTime::CTime(const FILETIME& ft, int) : m_time(FromFileTime(ft)) {}

CTime CTime::GetCurrentTime() {
    framework::ClockStandIn clock;
    {
        std::lock_guard<std::mutex> lock(g_clockLock);
        clock = g_clock;
    }
    if (clock) return CTime(clock());
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return CTime(FromFileTime(now));
}

SYSTEMTIME CTime::Utc() const {
    FILETIME ft = ToFileTime(m_time);
    SYSTEMTIME utc = {};
    ::FileTimeToSystemTime(&ft, &utc);
    return utc;
}

SYSTEMTIME CTime::Local() const {
    SYSTEMTIME utc = Utc();
    SYSTEMTIME local = utc;
    ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    return local;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    st = Local();
    return TRUE;
}

CString CTime::Format(LPCWSTR pszFormat) const { return FormatFields(Local(), pszFormat); }

CString CTime::FormatGmt(LPCWSTR pszFormat) const { return FormatFields(Utc(), pszFormat); }
