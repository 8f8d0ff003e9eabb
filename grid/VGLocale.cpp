#include "VGLocale.h"

#include <oleauto.h>

#include <vector>

namespace {
// Window thread only, like every other piece of the grid's process-wide state.
CVGLocale* installedLocale = nullptr;
}  // namespace

CString CVGLocale::GetInfoText(LCTYPE type, int bufferChars) const
{
    std::vector<wchar_t> buffer(bufferChars > 0 ? bufferChars : 1, L'\0');
    if (GetLocaleInfoW(m_lcid, type, buffer.data(), static_cast<int>(buffer.size())) == 0)
        return CString();
    return CString(buffer.data());
}

UINT CVGLocale::GetInfoNumber(LCTYPE type) const
{
    DWORD value = 0;
    if (GetLocaleInfoW(m_lcid, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                       sizeof value / sizeof(wchar_t)) == 0)
        return 0;
    return value;
}

bool CVGLocale::FormatNumber(const CString& plain, const NUMBERFMTW& format, CString* result) const
{
    wchar_t buffer[256];
    if (GetNumberFormatW(m_lcid, 0, plain, &format, buffer, 256) == 0)
        return false;
    *result = buffer;
    return true;
}

bool CVGLocale::ParseDate(const CString& text, double* oleDate) const
{
    CString copy(text);  // the parser takes a writable string
    DATE date = 0;
    if (FAILED(VarDateFromStr(copy.GetBuffer(), m_lcid, 0, &date)))
        return false;
    *oleDate = date;
    return true;
}

bool CVGLocale::ParseCurrency(const CString& text, LONGLONG* tenThousandths) const
{
    CString copy(text);
    CY value{};
    if (FAILED(VarCyFromStr(copy.GetBuffer(), m_lcid, 0, &value)))
        return false;
    *tenThousandths = value.int64;
    return true;
}

CVGLocale& CVGLocale::Current()
{
    static CVGLocale userDefault;
    return installedLocale ? *installedLocale : userDefault;
}

void CVGLocale::SetCurrent(CVGLocale* locale)
{
    installedLocale = locale;
}
