// Device contexts: CDC wraps a handle, CPaintDC is BeginPaint/EndPaint.
#pragma once

#include <windows.h>

class CWnd;

class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    // The text is UTF-8.
    int DrawText(LPCSTR lpszText, LPRECT lpRect, UINT nFormat);
    // The size the UTF-8 text takes on one line in the selected font.
    BOOL GetTextExtent(LPCSTR lpszText, SIZE* pSize) const;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd = nullptr;
};
