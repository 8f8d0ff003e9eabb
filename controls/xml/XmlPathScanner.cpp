#include "xml/XmlPathScanner.h"

namespace {

bool EndsStepName(wchar_t c)
{
    return c == 0 || c == L' ' || c == L'=' || c == L'/' || c == L'[' || c == L']';
}

} // namespace

XmlPathScanner::XmlPathScanner(const wchar_t* path) : path_(path)
{
    if (!path || !*path) {
        kind_ = Empty;
        return;
    }
    if (path[0] == L'/' && path[1] == L'/') {
        kind_ = Anywhere;
        index_ = 2;
    } else if (path[0] == L'/') {
        kind_ = Absolute;
        index_ = 1;
    } else {
        kind_ = Relative;
    }
    if (!CheckSyntax())
        kind_ = Invalid;
}

bool XmlPathScanner::CheckSyntax()
{
    for (;;) {
        if (!ScanStep())
            return false;
        if (!path_[index_])
            return true;
        if (path_[index_] != L'/' || kind_ == Anywhere)
            return false;
        ++index_;
    }
}

bool XmlPathScanner::ScanStep()
{
    if (!path_[index_])
        return false;
    if (path_[index_] == L'@') {
        // A trailing attribute ends the path.
        ++index_;
        SkipStepName();
        return !path_[index_];
    }
    SkipStepName();
    if (path_[index_] == L'[') {
        ++index_;
        if (!ScanPredicate() || path_[index_] != L']')
            return false;
        ++index_;
    }
    return true;
}

bool XmlPathScanner::ScanPredicate()
{
    wchar_t c = path_[index_];
    if (c >= L'1' && c <= L'9') {
        while (path_[index_] >= L'0' && path_[index_] <= L'9')
            ++index_;
        return true;
    }
    if (c != L'@') {
        SkipStepName();
        return true;
    }
    ++index_;
    while (path_[index_] && path_[index_] != L'=' && path_[index_] != L']')
        ++index_;
    if (path_[index_] != L'=')
        return true;
    ++index_;
    wchar_t quote = path_[index_];
    if (quote == L'"' || quote == L'\'') {
        ++index_;
        while (path_[index_] && path_[index_] != quote)
            ++index_;
        if (!path_[index_])
            return false;
        ++index_;
        return true;
    }
    while (path_[index_] && path_[index_] != L']')
        ++index_;
    return true;
}

void XmlPathScanner::SkipStepName()
{
    while (!EndsStepName(path_[index_]))
        ++index_;
}
