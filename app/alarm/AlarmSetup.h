// CAlarmSetup (template 144, "Alarm Report"): a list box that collects one line per value reported
// with the tester's capture notices.
#pragma once

#include <framework/Framework.h>

class CAlarmSetup : public CDialog {
public:
    enum { IDD = 144 };
    explicit CAlarmSetup(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}

    CListBox alarmList;

    // Appends one line at the end of the list.
    void AppendLine(const CString& line) { alarmList.AddString(line); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnClear();
    void OnSave() {}
    DECLARE_MESSAGE_MAP()
};
