// XmlEncodingTable: encoding names (lower case) and their code pages.
#include "xml/XmlTextConverter.h"

#include <algorithm>
#include <vector>

namespace {

struct EncodingName {
    const wchar_t* name;
    int codePage;
};

// clang-format off
const EncodingName kEncodingNames[] = {
    {L"cp154", 154}, {L"csptcp154", 154}, {L"cyrillic-asian", 154}, {L"pt154", 154}, {L"ptcp154", 154},
    {L"codepage437", 437}, {L"cp437", 437}, {L"cspc8", 437}, {L"cspc8codepage437", 437}, {L"ibm437", 437},
    {L"asmo-708", 708},
    {L"dos-720", 720},
    {L"cp737", 737}, {L"ibm737", 737},
    // EBCDIC (International), not the Baltic DOS code page that shares their old entry.
    {L"cp500", 500}, {L"csibm500", 500}, {L"ebcdic-cp-be", 500}, {L"ebcdic-cp-ch", 500},
    {L"cp775", 775}, {L"cspc775baltic", 775}, {L"ibm775", 775},
    {L"cp850", 850}, {L"cspc850multilingual", 850}, {L"ibm850", 850},
    {L"cp852", 852}, {L"cspcp852", 852}, {L"ibm852", 852},
    {L"cp853", 853},
    {L"cp855", 855}, {L"csibm855", 855}, {L"ibm855", 855},
    {L"cp857", 857}, {L"csibm857", 857}, {L"ibm857", 857},
    {L"ccsid00858", 858}, {L"cp00858", 858}, {L"cp858", 858}, {L"ibm00858", 858},
    {L"pc-multilingual-850+euro", 858},
    {L"cp860", 860}, {L"csibm860", 860}, {L"ibm860", 860},
    {L"cp-is", 861}, {L"cp861", 861}, {L"csibm861", 861}, {L"ibm861", 861},
    {L"cp862", 862}, {L"cspc862latinhebrew", 862}, {L"dos-862", 862}, {L"ibm862", 862},
    {L"cp863", 863}, {L"csibm863", 863}, {L"ibm863", 863},
    {L"cp864", 864}, {L"csibm864", 864}, {L"ibm864", 864},
    {L"cp865", 865}, {L"csibm865", 865}, {L"ibm865", 865},
    {L"cp866", 866}, {L"csibm866", 866}, {L"ibm866", 866},
    {L"cp-gr", 869}, {L"cp869", 869}, {L"csibm869", 869}, {L"ibm869", 869},
    {L"cp874", 874}, {L"dos-874", 874}, {L"iso-8859-11", 874}, {L"tis-620", 874}, {L"windows-874", 874},
    {L"cp932", 932}, {L"csshiftjis", 932}, {L"cswindows31j", 932}, {L"ms932", 932}, {L"ms_kanji", 932},
    {L"shifft_jis", 932}, {L"shifft_jis-ms", 932}, {L"shift-jis", 932}, {L"shift_jis", 932}, {L"sjis", 932},
    {L"sjis-ms", 932}, {L"sjis-open", 932}, {L"sjis-win", 932}, {L"windows-31j", 932}, {L"windows-932", 932},
    {L"x-ms-cp932", 932}, {L"x-sjis", 932},
    {L"chinese", 936}, {L"cn-gb", 936}, {L"cp936", 936}, {L"csgb2312", 936}, {L"csgb231280", 936},
    {L"csiso58gb231280", 936}, {L"gb2312", 936}, {L"gb2312-80", 936}, {L"gb231280", 936}, {L"gb_2312-80", 936},
    {L"gbk", 936}, {L"iso-ir-58", 936}, {L"ms936", 936}, {L"windows-936", 936},
    {L"cp949", 949}, {L"csksc56011987", 949}, {L"iso-ir-149", 949}, {L"korean", 949}, {L"ks-c-5601", 949},
    {L"ks-c5601", 949}, {L"ks_c_5601", 949}, {L"ks_c_5601-1987", 949}, {L"ks_c_5601-1989", 949},
    {L"ks_c_5601_1987", 949}, {L"ksc5601", 949}, {L"ksc_5601", 949}, {L"uhc", 949},
    {L"big5", 950}, {L"big5-hkscs", 950}, {L"cn-big5", 950}, {L"cp950", 950}, {L"csbig5", 950}, {L"x-x-big5", 950},
    {L"cp1125", 1125},
    {L"cp1133", 1133}, {L"ibm-cp1133", 1133},
    {L"cp1200", 1200}, {L"ucs-2", 1200}, {L"ucs-2le", 1200}, {L"unicode", 1200}, {L"utf-16", 1200},
    {L"utf-16le", 1200}, {L"utf16", 1200}, {L"utf16le", 1200},
    {L"cp1201", 1201}, {L"ucs-2be", 1201}, {L"unicodefffe", 1201}, {L"utf-16be", 1201}, {L"utf16be", 1201},
    {L"cp1250", 1250}, {L"ms-ee", 1250}, {L"windows-1250", 1250}, {L"x-cp1250", 1250},
    {L"cp1251", 1251}, {L"ms-cyrl", 1251}, {L"windows-1251", 1251}, {L"x-cp1251", 1251},
    {L"cp1252", 1252}, {L"ms-ansi", 1252}, {L"windows-1252", 1252}, {L"x-ansi", 1252},
    {L"cp1253", 1253}, {L"ms-greek", 1253}, {L"windows-1253", 1253},
    {L"cp1254", 1254}, {L"ms-turk", 1254}, {L"windows-1254", 1254},
    {L"cp1255", 1255}, {L"ms-hebr", 1255}, {L"windows-1255", 1255},
    {L"cp1256", 1256}, {L"cp1256 ", 1256}, {L"ms-arab", 1256}, {L"windows-1256", 1256},
    {L"cp1257", 1257}, {L"winbaltrim", 1257}, {L"windows-1257", 1257},
    {L"cp1258", 1258}, {L"windows-1258", 1258},
    {L"cp1361", 1361}, {L"johab", 1361},
    {L"csmacintosh", 10000}, {L"mac", 10000}, {L"macintosh", 10000},
    {L"x-mac-japanese", 10001}, {L"x-mac-chinesetrad", 10002}, {L"x-mac-korean", 10003},
    {L"x-mac-arabic", 10004}, {L"x-mac-hebrew", 10005}, {L"x-mac-greek", 10006}, {L"x-mac-cyrillic", 10007},
    {L"x-mac-chinesesimp", 10008}, {L"x-mac-romanian", 10010}, {L"x-mac-ukrainian", 10017},
    {L"x-mac-thai", 10021}, {L"x-mac-ce", 10029}, {L"x-mac-icelandic", 10079}, {L"x-mac-turkish", 10081},
    {L"x-mac-croatian", 10082},
    {L"cp12000", 12000}, {L"utf-32", 12000}, {L"utf-32le", 12000}, {L"utf32", 12000}, {L"utf32le", 12000},
    {L"cp12001", 12001}, {L"utf-32be", 12001}, {L"utf32be", 12001},
    {L"x-chinese-cns", 20000}, {L"x-chinese_cns", 20000}, {L"x-cp20001", 20001}, {L"x-chinese-eten", 20002},
    {L"x_chinese-eten", 20002}, {L"x-cp20003", 20003}, {L"x-cp20004", 20004}, {L"x-cp20005", 20005},
    {L"x-ia5", 20105}, {L"x-ia5-german", 20106}, {L"x-ia5-swedish", 20107}, {L"x-ia5-norwegian", 20108},
    {L"ansi_x3.4-1968", 20127}, {L"ansi_x3.4-1986", 20127}, {L"ascii", 20127}, {L"cp367", 20127},
    {L"csascii", 20127}, {L"ibm367", 20127}, {L"iso-ir-6", 20127}, {L"iso-ir-6us", 20127},
    {L"iso646-us", 20127}, {L"iso_646.irv:1991", 20127}, {L"us", 20127}, {L"us-ascii", 20127},
    {L"x-cp20261", 20261}, {L"x-cp20269", 20269},
    {L"cskoi8r", 20866}, {L"koi", 20866}, {L"koi8", 20866}, {L"koi8-r", 20866}, {L"koi8r", 20866},
    {L"cseucpkdfmtjapanese", 20932}, {L"euc-jp", 20932}, {L"extended_unix_code_packed_format_for_japanese", 20932},
    {L"x-cp20936", 20936}, {L"x-cp20949", 20949},
    {L"koi8-ru", 21866}, {L"koi8-u", 21866},
    {L"cp819", 28591}, {L"csisolatin1", 28591}, {L"ibm819", 28591}, {L"iso-8859-1", 28591},
    {L"iso-ir-100", 28591}, {L"iso8859-1", 28591}, {L"iso_8859-1", 28591}, {L"iso_8859-1:1987", 28591},
    {L"l1", 28591}, {L"latin1", 28591},
    {L"csisolatin2", 28592}, {L"iso-8859-2", 28592}, {L"iso-ir-101", 28592}, {L"iso8859-2", 28592},
    {L"iso_8859-2", 28592}, {L"iso_8859-2:1987", 28592}, {L"l2", 28592}, {L"latin2", 28592},
    {L"csisolatin3", 28593}, {L"iso-8859-3", 28593}, {L"iso-ir-109", 28593}, {L"iso8859-3", 28593},
    {L"iso_8859-3", 28593}, {L"iso_8859-3:1988", 28593}, {L"l3", 28593}, {L"latin3", 28593},
    {L"csisolatin4", 28594}, {L"iso-8859-4", 28594}, {L"iso-ir-110", 28594}, {L"iso8859-4", 28594},
    {L"iso_8859-4", 28594}, {L"iso_8859-4:1988", 28594}, {L"l4", 28594}, {L"latin4", 28594},
    {L"csisolatin5", 28595}, {L"csisolatincyrillic", 28595}, {L"cyrillic", 28595}, {L"iso-8859-5", 28595},
    {L"iso-ir-144", 28595}, {L"iso8859-5", 28595}, {L"iso_8859-5", 28595}, {L"iso_8859-5:1988", 28595},
    {L"arabic", 28596}, {L"csisolatinarabic", 28596}, {L"ecma-114", 28596}, {L"iso-8859-6", 28596},
    {L"iso-ir-127", 28596}, {L"iso8859-6", 28596}, {L"iso_8859-6", 28596}, {L"iso_8859-6:1987", 28596},
    {L"csisolatingreek", 28597}, {L"ecma-118", 28597}, {L"elot_928", 28597}, {L"greek", 28597},
    {L"greek8", 28597}, {L"iso-8859-7", 28597}, {L"iso-ir-126", 28597}, {L"iso8859-7", 28597},
    {L"iso_8859-7", 28597}, {L"iso_8859-7:1987", 28597},
    {L"csisolatinhebrew", 28598}, {L"hebrew", 28598}, {L"iso-8859-8", 28598}, {L"iso-ir-138", 28598},
    {L"iso8859-8", 28598}, {L"iso_8859-8", 28598}, {L"iso_8859-8:1988", 28598}, {L"visual", 28598},
    {L"iso-8859-9", 28599}, {L"iso-ir-148", 28599}, {L"iso8859-9", 28599}, {L"iso_8859-9", 28599},
    {L"iso_8859-9:1989", 28599}, {L"l5", 28599}, {L"latin5", 28599},
    {L"iso-8859-13", 28603}, {L"iso8859-13", 28603},
    {L"iso-8859-15", 28605}, {L"iso8859-15", 28605}, {L"iso_8859-15", 28605}, {L"l9", 28605},
    {L"latin-9", 28605}, {L"latin9", 28605},
    {L"x-europa", 29001},
    {L"iso-8859-8-i", 38598}, {L"iso8859-8-i", 38598}, {L"logical", 38598},
    {L"iso-2022-jp", 50220},
    {L"_iso-2022-jp", 50221}, {L"cp50221", 50221}, {L"csiso2022jp", 50221}, {L"iso-2022-jp-ms", 50221},
    {L"iso2022-jp-ms", 50221}, {L"ms50221", 50221}, {L"windows-50221", 50221},
    {L"_iso-2022-jp$sio", 50222},
    {L"csiso2022kr", 50225}, {L"iso-2022-kr", 50225}, {L"iso2022-kr", 50225},
    {L"x-cp50227", 50227},
    {L"cp51932", 51932}, {L"ms51932", 51932}, {L"windows-51932", 51932}, {L"x-euc", 51932}, {L"x-euc-jp", 51932},
    {L"euc-cn", 51936}, {L"x-euc-cn", 51936},
    {L"cseuckr", 51949}, {L"euc-kr", 51949},
    {L"hz-gb-2312", 52936},
    {L"gb18030", 54936}, {L"iso-4873:1986", 54936},
    {L"x-iscii-de", 57002}, {L"x-iscii-be", 57003}, {L"x-iscii-ta", 57004}, {L"x-iscii-te", 57005},
    {L"x-iscii-as", 57006}, {L"x-iscii-or", 57007}, {L"x-iscii-ka", 57008}, {L"x-iscii-ma", 57009},
    {L"x-iscii-gu", 57010}, {L"x-iscii-pa", 57011},
    {L"csunicode11utf7", 65000}, {L"unicode-1-1-utf-7", 65000}, {L"utf-7", 65000}, {L"x-unicode-2-0-utf-7", 65000},
    {L"cp65001", 65001}, {L"unicode-1-1-utf-8", 65001}, {L"unicode-2-0-utf-8", 65001}, {L"utf-8", 65001},
    {L"utf8", 65001}, {L"x-unicode-2-0-utf-8", 65001},
};
// clang-format on

const std::vector<const EncodingName*>& SortedNames()
{
    static const std::vector<const EncodingName*> sorted = [] {
        std::vector<const EncodingName*> v;
        for (const EncodingName& e : kEncodingNames)
            v.push_back(&e);
        std::sort(v.begin(), v.end(),
                  [](const EncodingName* a, const EncodingName* b) { return wcscmp(a->name, b->name) < 0; });
        return v;
    }();
    return sorted;
}

} // namespace

int XmlLookupEncodingName(const std::wstring& lowerName)
{
    const auto& names = SortedNames();
    auto it = std::lower_bound(names.begin(), names.end(), lowerName,
                               [](const EncodingName* e, const std::wstring& n) { return wcscmp(e->name, n.c_str()) < 0; });
    return it != names.end() && lowerName == (*it)->name ? (*it)->codePage : -1;
}

int XmlCodePageOfName(const std::wstring& name)
{
    if (name.empty())
        return XmlCodePageAnsi;
    if (name.compare(0, 6, L"UTF-32") == 0)
        return XmlCodePageUtf32;
    if (name.size() >= 100)
        return -1;
    std::wstring lower = name;
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    }
    return XmlLookupEncodingName(lower);
}

bool XmlIsStatefulCodePage(int codePage)
{
    return codePage == 65000 || (codePage >= 50220 && codePage <= 50229) || codePage == 52936;
}
