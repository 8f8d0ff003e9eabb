// The capture panels of Port A (template 266) and Port B (template 269): a list of the frames the
// tester captured on the port, one row each, appended by the device events. The hex view, the
// information tree and the splitters come with the capture page.
#pragma once

#include <framework/Framework.h>

class CCaptureReport : public CDialog {
public:
    CCaptureReport(UINT templateId, CWnd* pParent) : CDialog(templateId, pParent) {}

    CListCtrl captureList;

    // Inserts a row at `row` with the six column texts (No., Destination, Source, Length, Type, Data).
    void InsertRow(int row, const CString (&columns)[6]);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

class CCaptureReportA : public CCaptureReport {
public:
    enum { IDD = 266 };
    explicit CCaptureReportA(CWnd* pParent = nullptr) : CCaptureReport(IDD, pParent) {}
};

class CCaptureReportB : public CCaptureReport {
public:
    enum { IDD = 269 };
    explicit CCaptureReportB(CWnd* pParent = nullptr) : CCaptureReport(IDD, pParent) {}
};
