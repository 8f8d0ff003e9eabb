#include "VGGridInfo.h"

#include "VGMem.h"
#include "VGMultiSelect.h"
#include "VGPtrList.h"

IMPLEMENT_DYNAMIC(CVGGridInfo, CObject)

CVGGridInfo::CVGGridInfo()
    : m_vScrollWidth(GetSystemMetrics(SM_CXVSCROLL)),
      m_hScrollHeight(GetSystemMetrics(SM_CYHSCROLL)),
      m_pDataSource(nullptr),
      m_memSource(std::make_unique<CVGMem>()),
      m_selection(std::make_unique<CVGMultiSelect>()),
      m_arrowCursor(LoadCursorW(nullptr, IDC_ARROW)),
      m_sizeWECursor(LoadCursorW(nullptr, IDC_SIZEWE)),
      m_sizeNSCursor(LoadCursorW(nullptr, IDC_SIZENS)),
      m_ptrList(std::make_unique<CVGPtrList>()),
      m_gridPen(CreatePen(PS_SOLID, 1, RGB(0xDC, 0xDC, 0xDC)))
{
    m_pDataSource = m_memSource.get();
    m_selection->SetOwner(nullptr, this);

    m_headingDefaultCell.PutBackColor(GetSysColor(COLOR_BTNFACE));
    m_headingDefaultCell.PutBorderStyle(0x2000);
    m_headingDefaultCell.PutAlignment(0x24);  // centred both ways
    m_headingDefaultCell.PutThemeElement(128);
}

CVGGridInfo::~CVGGridInfo()
{
    if (m_gridPen)
        DeleteObject(m_gridPen);
}
