// The one boundary between the program's text and the system's. The program
// holds every text as UTF-8 in its 8-bit strings (CString); the system's
// wide calls take UTF-16. Our windows are Unicode windows, so what another
// program reads from them with the 8-bit messages it gets in its own code
// page, converted by the system. Texts that come in another code page (an
// 8-bit CF_TEXT or file list in the system's ANSI code page) are converted
// from that code page once, here. ATL's names.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/cstring.h"

// A text as UTF-16: UTF-8 by default, or in the code page it was written in.
class CA2W {
public:
    explicit CA2W(LPCSTR psz, UINT nCodePage = CP_UTF8)
    {
        if (psz != nullptr)
            Convert(psz, -1, nCodePage);
    }
    CA2W(std::string_view text, UINT nCodePage) { Convert(text.data(), static_cast<int>(text.size()), nCodePage); }

    operator LPCWSTR() const { return m_str.c_str(); }
    const std::wstring& String() const { return m_str; }

private:
    void Convert(const char* p, int nBytes, UINT nCodePage)
    {
        if (nBytes == 0)
            return;
        const int nLength = ::MultiByteToWideChar(nCodePage, 0, p, nBytes, nullptr, 0);
        if (nLength <= 0)
            return;
        m_str.resize(static_cast<std::size_t>(nLength));
        ::MultiByteToWideChar(nCodePage, 0, p, nBytes, m_str.data(), nLength);
        if (nBytes < 0)
            m_str.resize(static_cast<std::size_t>(nLength - 1));  // the terminator is the string's own
    }
    std::wstring m_str;
};

// UTF-16 from the system as the program's UTF-8 (nLength -1: up to the NUL).
CString CW2A(LPCWSTR psz, int nLength = -1);
// Bytes in the system's ANSI code page (an 8-bit clipboard text) as UTF-8.
CString AfxUtf8FromAnsi(std::string_view text);

// The system's paths, which may name folders in any script: a module's file,
// the Windows folder and the system folder; empty where the system gives none.
CString AfxGetModuleFileName(HMODULE hModule);
CString AfxGetWindowsDirectory();
CString AfxGetSystemDirectory();
bool AfxFileExists(LPCSTR lpszPath);
// Opens a file with the program given, through Sys().
HINSTANCE AfxShellOpen(HWND hWnd, LPCSTR lpszProgram, LPCSTR lpszParameters, LPCSTR lpszDirectory);
