// Reads the program's resources back out of the test executable, which links
// the same compiled resources as trovelle.exe: raw resource bytes, dialog
// templates (classic and extended) and texts in Windows-1252.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace resread {

constexpr WORD kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);

// The bytes of one resource of this module in the given language; empty when
// there is none.
std::vector<BYTE> Raw(LPCSTR type, WORD id, WORD lang = kFrench);

// UTF-16 to Windows-1252 bytes, whatever the process's ANSI code page; a
// character without a 1252 byte becomes '?', so it shows in a comparison.
std::string To1252(const std::wstring& s);

// A name-or-ordinal field of a template: a string, an ordinal, or nothing.
struct NameOrOrd {
    bool bOrdinal = false;
    WORD ord = 0;
    std::wstring name;
};

struct DlgItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;  // 0xFFFF (classic) or 0xFFFFFFFF (extended) for "no id"
    NameOrOrd cls;
    NameOrOrd text;
};

struct DlgTemplate {
    bool bExtended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrd menu;
    NameOrOrd cls;
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;   // extended templates only
    BYTE italic = 0;   // extended templates only
    BYTE charset = 0;  // extended templates only
    std::wstring face;
    std::vector<DlgItem> items;
};

// Parses a DLGTEMPLATE or DLGTEMPLATEEX, never reading past its end; false
// when the bytes are not a whole template.
bool ParseDialog(const std::vector<BYTE>& bytes, DlgTemplate& out);

// The class of a control as a lower-case name: the predefined atoms 0x80 to
// 0x85 become "button", "edit", "static", "listbox", "scrollbar", "combobox".
std::string ClassName(const NameOrOrd& cls);

}  // namespace resread
