#include "alarm/AlarmSetup.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAlarmSetup, CDialog)
ON_BN_CLICKED(IDC_ALARM_CLEAR, OnClear)
ON_BN_CLICKED(IDC_ALARM_SAVE, OnSave)
END_MESSAGE_MAP()

void CAlarmSetup::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ALARM_LIST, alarmList);
}

void CAlarmSetup::OnClear() { alarmList.ResetContent(); }
