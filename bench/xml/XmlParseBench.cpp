// Parse and index throughput of XmlDocument on a generated 20 MB document, beside the msxml DOM
// loading the same text through COM in the same run; prints both rates and their ratio.
#include "xml/XmlDocument.h"

#include <windows.h>
#include <msxml2.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr size_t kDocumentCharacters = 20 * 1000 * 1000;
constexpr int kRuns = 3;

// A counter log such as the program could keep: nested elements, attributes, escaped text,
// comments and CDATA sections, all ASCII so that characters and UTF-8 bytes count the same.
std::wstring GenerateDocument()
{
    static const wchar_t* const kCounters[] = {L"Tx Packet", L"Rx Packet", L"Tx Byte", L"Rx Byte",
                                               L"CRC Error", L"Undersize", L"Oversize", L"Collision"};
    std::wstring text = L"<?xml version=\"1.0\"?>\r\n<counters device=\"Brevix-CF\" version=\"1.2\">\r\n";
    text.reserve(kDocumentCharacters + 4096);
    unsigned value = 12345;
    for (int sample = 0; text.size() < kDocumentCharacters; ++sample) {
        text += L"  <!-- sample " + std::to_wstring(sample) + L" -->\r\n";
        text += L"  <sample index=\"" + std::to_wstring(sample) + L"\" time=\"2024-05-01T12:00:00\">\r\n";
        for (int port = 0; port < 2; ++port) {
            text += L"    <port id=\"" + std::to_wstring(port) + L"\" name=\"Port " + (port ? L"B" : L"A") +
                    L"\" link=\"up\">\r\n";
            for (const wchar_t* name : kCounters) {
                value = value * 1103515245u + 12345u;
                text += L"      <counter name=\"" + std::wstring(name) + L"\" unit='frames'>" +
                        std::to_wstring(value % 1000000) + L"</counter>\r\n";
            }
            text += L"      <rate kind=\"line\">" + std::to_wstring(value % 1000) +
                    L".5 Mbps &amp; steady</rate>\r\n";
            text += L"      <history><![CDATA[1,2,3,5,8,13,21<34>]]></history>\r\n      <flags/>\r\n    </port>\r\n";
        }
        text += L"  </sample>\r\n";
    }
    text += L"</counters>\r\n";
    return text;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeXmlDocument(const std::wstring& text, int* records)
{
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        XmlDocument doc;
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        bool wellFormed = doc.LoadText(text.c_str());
        QueryPerformanceCounter(&to);
        if (!wellFormed) {
            std::fprintf(stderr, "XmlDocument: generated document not well formed\n");
            return -1;
        }
        *records = doc.RecordCount() - 1;
        best = std::min(best, Seconds(from, to));
    }
    return best;
}

// The newest DOM that is registered, by its ProgID.
bool FindDomClass(CLSID* clsid)
{
    for (const wchar_t* progId : {L"Msxml2.DOMDocument.6.0", L"Msxml2.DOMDocument.3.0"}) {
        if (SUCCEEDED(CLSIDFromProgID(progId, clsid))) {
            std::printf("reference: %ls\n", progId);
            return true;
        }
    }
    std::fprintf(stderr, "msxml: no DOMDocument registered\n");
    return false;
}

double TimeMsxml(const std::wstring& text)
{
    CLSID domClass;
    if (!FindDomClass(&domClass))
        return -1;
    BSTR source = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    double best = 1e30;
    for (int run = 0; run < kRuns && best > 0; ++run) {
        IXMLDOMDocument* dom = nullptr;
        HRESULT hr = CoCreateInstance(domClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                      reinterpret_cast<void**>(&dom));
        if (FAILED(hr)) {
            std::fprintf(stderr, "msxml: CoCreateInstance failed 0x%08lx\n", static_cast<unsigned long>(hr));
            best = -1;
            break;
        }
        dom->put_async(VARIANT_FALSE);
        dom->put_validateOnParse(VARIANT_FALSE);
        dom->put_resolveExternals(VARIANT_FALSE);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        hr = dom->loadXML(source, &loaded);
        QueryPerformanceCounter(&to);
        if (hr != S_OK || loaded != VARIANT_TRUE) {
            std::fprintf(stderr, "msxml: loadXML failed 0x%08lx\n", static_cast<unsigned long>(hr));
            best = -1;
        } else {
            best = std::min(best, Seconds(from, to));
        }
        dom->Release();
    }
    SysFreeString(source);
    return best;
}

} // namespace

int main()
{
    std::wstring text = GenerateDocument();
    double megabytes = static_cast<double>(text.size()) / 1e6;
    std::printf("document: %.1f MB (%zu characters, ASCII), best of %d runs each\n", megabytes, text.size(), kRuns);

    int records = 0;
    double ours = TimeXmlDocument(text, &records);
    if (ours <= 0)
        return 1;
    std::printf("XmlDocument parse+index: %8.3f s %8.1f MB/s  (%d elements)\n", ours, megabytes / ours, records);

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    double reference = TimeMsxml(text);
    CoUninitialize();
    if (reference <= 0)
        return 1;
    std::printf("msxml DOM loadXML:       %8.3f s %8.1f MB/s\n", reference, megabytes / reference);
    std::printf("ratio XmlDocument / msxml: %.1fx\n", reference / ours);
    return 0;
}
