#include "fw/gdi.h"

#include "fw/conv.h"
#include "fw/wnd.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC()
{
    if (m_hDC != nullptr)
        ::EndPaint(m_hWnd, &m_ps);
}

int CDC::DrawText(LPCSTR lpszText, LPRECT lpRect, UINT nFormat)
{
    return ::DrawTextW(m_hDC, CA2W(lpszText), -1, lpRect, nFormat);
}

BOOL CDC::GetTextExtent(LPCSTR lpszText, SIZE* pSize) const
{
    const CA2W text(lpszText);
    return ::GetTextExtentPoint32W(m_hDC, text, static_cast<int>(text.String().size()), pSize);
}
