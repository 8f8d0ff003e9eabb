// "Device & Connection": the user picks a server (on this computer or at a remote address) and
// devices by address, from what discovery found or typed in.
#pragma once

#include <framework/Framework.h>

#include <cstdint>

#include "ui/LangMag.h"

class CConnectSerDlg : public CDialog {
public:
    CConnectSerDlg(int kindMask, int language, int showDemo);

    // After "Connect": clears the 254-byte record and appends one entry per offered, checked kind.
    void FillResult(std::uint8_t* result);
    bool DemoChosen() const { return m_demoChosen != 0; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnControlChanged();
    void OnRemoteClicked();
    void OnDeviceClicked();
    void OnDevice9000Clicked();
    void OnDemo();
    DECLARE_MESSAGE_MAP()

private:
    bool Offered(int kind) const { return (m_kindMask & kind) != 0; }
    void FillAddressLists();
    void ApplyTexts();
    void StackGroups();
    void ShowLoneKindOnFrame();
    void UpdateControlStates();
    void ReadControls();
    static CString AddressText(const CComboBox& box);
    bool ChoiceIsValid();
    CString& AddressOf(int kind);
    int& CheckedOf(int kind);

    int m_kindMask;
    int m_language;
    int m_showDemo;
    int m_demoChosen = 0;
    int m_location = 0;  // 0 "Localhost", 1 "Remote"
    int m_serverChecked = 1;
    int m_deviceChecked = 0;
    int m_device9000Checked = 0;
    CString m_serverAddress;
    CString m_deviceAddress;
    CString m_device9000Address;
    CLangMag m_lang;
    CComboBox m_serverList;
    CComboBox m_deviceList;
    CComboBox m_device9000List;
};
