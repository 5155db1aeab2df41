#include "res_reader.h"

#include <cstring>
#include <cwctype>

namespace resread {

std::vector<BYTE> Raw(LPCSTR type, WORD id, WORD lang)
{
    HMODULE hModule = GetModuleHandleW(nullptr);
    HRSRC hRes = FindResourceExA(hModule, type, MAKEINTRESOURCEA(id), lang);
    if (hRes == nullptr)
        return {};
    HGLOBAL hData = LoadResource(hModule, hRes);
    const BYTE* p = hData != nullptr ? static_cast<const BYTE*>(LockResource(hData)) : nullptr;
    if (p == nullptr)
        return {};
    return std::vector<BYTE>(p, p + SizeofResource(hModule, hRes));
}

std::string To1252(const std::wstring& s)
{
    if (s.empty())
        return {};
    const int n = WideCharToMultiByte(1252, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(1252, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

namespace {

// A bounded little-endian reader over the template's bytes.
class Reader {
public:
    explicit Reader(const std::vector<BYTE>& b) : m_b(b) {}

    bool Ok() const { return m_bOk; }

    template <typename T>
    T Get()
    {
        T v{};
        if (m_pos + sizeof(T) > m_b.size()) {
            m_bOk = false;
            m_pos = m_b.size();
            return v;
        }
        std::memcpy(&v, m_b.data() + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return v;
    }

    std::wstring String()
    {
        std::wstring s;
        for (;;) {
            const WORD w = Get<WORD>();
            if (!m_bOk || w == 0)
                return s;
            s.push_back(static_cast<wchar_t>(w));
        }
    }

    NameOrOrd NameOrOrdinal()
    {
        NameOrOrd r;
        const WORD first = Get<WORD>();
        if (first == 0xFFFF) {
            r.bOrdinal = true;
            r.ord = Get<WORD>();
        } else if (first != 0) {
            r.name.push_back(static_cast<wchar_t>(first));
            r.name += String();
        }
        return r;
    }

    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t n) { m_pos += n; if (m_pos > m_b.size()) { m_bOk = false; m_pos = m_b.size(); } }

private:
    const std::vector<BYTE>& m_b;
    std::size_t m_pos = 0;
    bool m_bOk = true;
};

}  // namespace

bool ParseDialog(const std::vector<BYTE>& bytes, DlgTemplate& out)
{
    Reader r(bytes);
    out = DlgTemplate{};
    WORD count = 0;
    const WORD ver = r.Get<WORD>();
    const WORD sig = r.Get<WORD>();
    out.bExtended = ver == 1 && sig == 0xFFFF;
    if (out.bExtended) {
        r.Get<DWORD>();  // help id
        out.exStyle = r.Get<DWORD>();
        out.style = r.Get<DWORD>();
    } else {
        out.style = static_cast<DWORD>(ver) | static_cast<DWORD>(sig) << 16;
        out.exStyle = r.Get<DWORD>();
    }
    count = r.Get<WORD>();
    out.x = r.Get<short>();
    out.y = r.Get<short>();
    out.cx = r.Get<short>();
    out.cy = r.Get<short>();
    out.menu = r.NameOrOrdinal();
    out.cls = r.NameOrOrdinal();
    out.caption = r.String();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = r.Get<WORD>();
        if (out.bExtended) {
            out.weight = r.Get<WORD>();
            out.italic = r.Get<BYTE>();
            out.charset = r.Get<BYTE>();
        }
        out.face = r.String();
    }
    for (WORD i = 0; i < count && r.Ok(); ++i) {
        r.AlignDword();
        DlgItem item;
        if (out.bExtended) {
            r.Get<DWORD>();  // help id
            item.exStyle = r.Get<DWORD>();
            item.style = r.Get<DWORD>();
        } else {
            item.style = r.Get<DWORD>();
            item.exStyle = r.Get<DWORD>();
        }
        item.x = r.Get<short>();
        item.y = r.Get<short>();
        item.cx = r.Get<short>();
        item.cy = r.Get<short>();
        item.id = out.bExtended ? r.Get<DWORD>() : r.Get<WORD>();
        item.cls = r.NameOrOrdinal();
        item.text = r.NameOrOrdinal();
        r.Skip(r.Get<WORD>());  // creation data
        out.items.push_back(item);
    }
    return r.Ok() && out.items.size() == count;
}

std::string ClassName(const NameOrOrd& cls)
{
    if (cls.bOrdinal) {
        static const char* const atoms[] = {"button", "edit", "static", "listbox", "scrollbar", "combobox"};
        return cls.ord >= 0x80 && cls.ord <= 0x85 ? atoms[cls.ord - 0x80] : "#" + std::to_string(cls.ord);
    }
    std::string s;
    for (wchar_t c : cls.name)
        s.push_back(static_cast<char>(std::towlower(c)));
    return s;
}

}  // namespace resread
