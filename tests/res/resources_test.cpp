// The compiled resources, read back from this executable (which links the same
// object as trovelle.exe) with the Win32 resource functions.
#include "res_reader.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using namespace resread;

namespace {

// An item text that its own test looks at.
const char kTextCheckedElsewhere[] = "";

// One control as the window's designer laid it out.
struct ExpectedItem {
    DWORD id;
    const char* cls;
    // Windows-1252; null when the text is the ordinal below, or
    // kTextCheckedElsewhere for any text.
    const char* text;
    WORD textOrdinal;
    short x, y, cx, cy;
    DWORD style;
};

// One dialog template as the window's designer laid it out, at (0, 0), in
// 8-point MS Shell Dlg, with no window class of its own.
struct ExpectedTemplate {
    const char* name;
    WORD id;
    bool bExtended;
    const char* caption;  // Windows-1252
    DWORD style, exStyle;
    short cx, cy;
    WORD menu;     // 0: none
    BYTE charset;  // extended templates only
    std::vector<ExpectedItem> items;
};

DlgTemplate LoadDialog(WORD id)
{
    DlgTemplate dlg;
    const std::vector<BYTE> bytes = Raw(RT_DIALOG, id);
    EXPECT_FALSE(bytes.empty()) << "no French dialog " << id;
    EXPECT_TRUE(ParseDialog(bytes, dlg)) << "dialog " << id << " is cut short";
    return dlg;
}

void ExpectItems(const DlgTemplate& dlg, const std::vector<ExpectedItem>& expected)
{
    ASSERT_EQ(dlg.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DlgItem& got = dlg.items[i];
        const ExpectedItem& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(ClassName(got.cls), want.cls);
        if (want.text == kTextCheckedElsewhere) {
            EXPECT_FALSE(got.text.bOrdinal);
        } else if (want.text != nullptr) {
            EXPECT_FALSE(got.text.bOrdinal);
            EXPECT_EQ(To1252(got.text.name), want.text);
        } else {
            EXPECT_TRUE(got.text.bOrdinal);
            EXPECT_EQ(got.text.ord, want.textOrdinal);
        }
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, 0u);
    }
}

// The version block's strings under the French, Unicode translation.
std::wstring VersionString(std::vector<BYTE>& block, const wchar_t* name)
{
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040C04B0\\") + name;
    void* p = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &p, &len) || p == nullptr)
        return L"<missing>";
    return static_cast<const wchar_t*>(p);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

std::vector<GroupIconEntry> GroupEntries(WORD id)
{
    const std::vector<BYTE> g = Raw(RT_GROUP_ICON, id);
    std::vector<GroupIconEntry> out;
    if (g.size() < 6)
        return out;
    WORD head[3];
    std::memcpy(head, g.data(), sizeof head);
    if (head[0] != 0 || head[1] != 1 || g.size() < 6 + head[2] * sizeof(GroupIconEntry))
        return out;
    out.resize(head[2]);
    std::memcpy(out.data(), g.data() + 6, head[2] * sizeof(GroupIconEntry));
    return out;
}

// Icon sizes, smallest first: the sizes Windows asks for from 100 % to 200 %
// display scale, and 256 pixels of the program's icon for Explorer.
std::map<WORD, std::vector<int>> ExpectedIconSizes()
{
    std::map<WORD, std::vector<int>> m{{128, {16, 20, 24, 32, 40, 48, 256}}, {147, {16, 20, 24, 32, 40, 48}}};
    for (WORD id = 133; id <= 146; ++id)
        m[id] = {32, 40, 48, 64};
    return m;
}

// Which pixels of a 24-bit icon image are transparent, top row first.
std::vector<bool> MaskOf(const std::vector<BYTE>& img, int n)
{
    const std::size_t colourRow = (n * 3 + 3) / 4 * 4, maskRow = (n + 31) / 32 * 4;
    const BYTE* mask = img.data() + sizeof(BITMAPINFOHEADER) + colourRow * n;
    std::vector<bool> out(n * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            out[y * n + x] = (mask[(n - 1 - y) * maskRow + x / 8] >> (7 - x % 8)) & 1;
    return out;
}

// Which pixels of an icon let the background through as the system draws it
// at n by n: those that come out differently on white and on black.
std::vector<bool> DrawnTransparent(HICON hIcon, int n)
{
    std::vector<bool> out(n * n, false);
    std::vector<DWORD> onWhite;
    for (DWORD background : {0x00FFFFFFu, 0u}) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = n;
        bi.bmiHeader.biHeight = -n;  // top row first
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* pBits = nullptr;
        HDC hdc = CreateCompatibleDC(nullptr);
        HBITMAP hbm = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        if (hbm == nullptr) {
            DeleteDC(hdc);
            ADD_FAILURE() << "no DIB section";
            return out;
        }
        HGDIOBJ hOld = SelectObject(hdc, hbm);
        DWORD* px = static_cast<DWORD*>(pBits);
        std::fill(px, px + n * n, background);
        EXPECT_TRUE(DrawIconEx(hdc, 0, 0, hIcon, n, n, 0, nullptr, DI_NORMAL));
        GdiFlush();
        if (background != 0) {
            onWhite.assign(px, px + n * n);
        } else {
            for (int i = 0; i < n * n; ++i)
                out[i] = (px[i] & 0xFFFFFF) != (onWhite[i] & 0xFFFFFF);
        }
        SelectObject(hdc, hOld);
        DeleteObject(hbm);
        DeleteDC(hdc);
    }
    return out;
}

}  // namespace

TEST(ResDialogs, TemplatesAsDesigned)
{
    const ExpectedTemplate templates[] = {
        {"main window", 102, true, "Trovelle", 0x90CF0040, 0x00040000, 326, 201, 129, 1,
         {{1000, "syslistview32", "Clips conserv\xe9s", 0, 0, 0, 326, 201, 0x50810300}}},
        // Template order is tab order: OK first (the dialog puts the focus in the edit).
        {"name", 130, false, "Ajouter", 0x80C800C0, 0, 245, 45, 0, 0,
         {
             {IDOK, "button", "OK", 0, 188, 7, 50, 14, 0x50010001},
             {IDCANCEL, "button", "Annuler", 0, 188, 24, 50, 14, 0x50010000},
             {1001, "edit", "", 0, 7, 18, 162, 13, 0x50810080},
             {0xFFFF, "static", "Nom de l'objet \xe0 ajouter :", 0, 7, 7, 79, 8, 0x50020000},
         }},
        // No OK or Cancel: the close box and Escape end it.
        {"format list", 150, false, "Contenu du Clipboard", 0x80C800C0, 0, 365, 204, 0, 0,
         {
             {1003, "button", "Actualiser", 0, 295, 7, 63, 15, 0x50010000},
             {1000, "syslistview32", "Formats", 0, 7, 7, 279, 190, 0x50818001},
         }},
        // The preview's edit control starts hidden.
        {"preview", 149, false, "Aper\xe7u du contenu", 0x80C800C0, 0, 294, 178, 0, 0,
         {{1002, "edit", "", 0, 0, 0, 294, 178, 0x40A10084}}},
        {"about", 100, false, "A propos de Trovelle", 0x80C800C0, 0, 235, 54, 0, 0,
         {
             {0xFFFF, "static", nullptr, 128, 11, 17, 21, 20, 0x50000003},
             {0xFFFF, "static", "Trovelle version 1.0", 0, 40, 10, 119, 8, 0x50020080},
             {0xFFFF, "static", kTextCheckedElsewhere, 0, 40, 24, 140, 8, 0x50020000},
             {IDOK, "button", "OK", 0, 178, 7, 50, 14, 0x50030001},
             {0xFFFF, "static", kTextCheckedElsewhere, 0, 40, 38, 119, 9, 0x50020000},
         }},
    };
    for (const ExpectedTemplate& want : templates) {
        SCOPED_TRACE(std::string(want.name) + " dialog " + std::to_string(want.id));
        const DlgTemplate dlg = LoadDialog(want.id);
        EXPECT_EQ(dlg.bExtended, want.bExtended);
        EXPECT_EQ(To1252(dlg.caption), want.caption);
        EXPECT_EQ(dlg.style, want.style) << std::hex << dlg.style;
        EXPECT_EQ(dlg.exStyle, want.exStyle) << std::hex << dlg.exStyle;
        EXPECT_EQ(dlg.x, 0);
        EXPECT_EQ(dlg.y, 0);
        EXPECT_EQ(dlg.cx, want.cx);
        EXPECT_EQ(dlg.cy, want.cy);
        if (want.menu != 0) {
            EXPECT_TRUE(dlg.menu.bOrdinal);
            EXPECT_EQ(dlg.menu.ord, want.menu);
        } else {
            EXPECT_TRUE(!dlg.menu.bOrdinal && dlg.menu.name.empty());
        }
        EXPECT_TRUE(!dlg.cls.bOrdinal && dlg.cls.name.empty()) << "the dialog has a window class of its own";
        EXPECT_EQ(To1252(dlg.face), "MS Shell Dlg");
        EXPECT_EQ(dlg.pointSize, 8);
        EXPECT_EQ(dlg.weight, 0);
        EXPECT_EQ(dlg.italic, 0);
        EXPECT_EQ(dlg.charset, want.charset);
        ExpectItems(dlg, want.items);
    }
}

TEST(ResDialogs, AboutTemplateAgreesWithTheVersionBlock)
{
    const DlgTemplate dlg = LoadDialog(100);
    ASSERT_EQ(dlg.items.size(), 5u);
    const std::string notice = To1252(dlg.items[2].text.name);
    const std::string address = To1252(dlg.items[4].text.name);
    EXPECT_NE(notice.find("2003"), std::string::npos) << notice;
    EXPECT_NE(notice.find("Bramwick Software"), std::string::npos) << notice;
    EXPECT_FALSE(address.empty());

    // The box and the file's properties say the same.
    std::vector<BYTE> block = Raw(RT_VERSION, 1);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(To1252(VersionString(block, L"LegalCopyright")), notice);
    EXPECT_EQ(To1252(VersionString(block, L"FileDescription")), To1252(dlg.items[1].text.name));
}

TEST(ResMenu, MenuBarItemsInOrder)
{
    struct Item {
        UINT id;  // 0 for a separator
        const char* text;
    };
    struct Popup {
        const char* text;
        std::vector<Item> items;
    };
    const std::vector<Popup> expected = {
        {"&Fichier", {{32771, "&Quitter"}}},
        {"&Edition",
         {{32776, "&Couper\t  Ctrl+X"},
          {32773, "Co&pier\t  Ctrl+C"},
          {32772, "C&oller\t  Ctrl+V"},
          {0, ""},
          {32774, "&Supprimer\t  Suppr"},
          {32778, "&Renommer\t  F2"},
          {0, ""},
          {32788, "&Formats du presse-papier..."}}},
        {"&Options",
         {{32779, "&Nommage automatique"},
          {32785, "C&ollage automatique"},
          {0, ""},
          {32781, "&Icone dans la barre des t\xe2" "ches"},
          {32782, "&Cacher quand minimis\xe9"}}},
        {"&Aide", {{32786, "&Aide"}, {16, "A &propos..."}}},
    };

    ASSERT_FALSE(Raw(RT_MENU, 129).empty()) << "no French menu 129";
    HMENU hMenu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(129));
    ASSERT_NE(hMenu, nullptr);

    // Text, type, id and pop-up of one item, read back as a window sees it.
    struct Got {
        std::string text;
        UINT type;
        UINT id;
        HMENU sub;
    };
    auto get = [](HMENU m, int pos) {
        wchar_t buf[128] = {};
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        mii.dwTypeData = buf;
        mii.cch = 127;
        EXPECT_TRUE(GetMenuItemInfoW(m, pos, TRUE, &mii));
        return Got{To1252(buf), mii.fType, mii.wID, mii.hSubMenu};
    };

    ASSERT_EQ(GetMenuItemCount(hMenu), static_cast<int>(expected.size()));
    for (std::size_t p = 0; p < expected.size(); ++p) {
        const Got top = get(hMenu, static_cast<int>(p));
        EXPECT_EQ(top.text, expected[p].text);
        ASSERT_NE(top.sub, nullptr) << expected[p].text;
        ASSERT_EQ(GetMenuItemCount(top.sub), static_cast<int>(expected[p].items.size())) << expected[p].text;
        for (std::size_t i = 0; i < expected[p].items.size(); ++i) {
            const Item& want = expected[p].items[i];
            const Got got = get(top.sub, static_cast<int>(i));
            SCOPED_TRACE(std::string(expected[p].text) + " item " + std::to_string(i));
            EXPECT_EQ(got.sub, nullptr);
            if (want.id == 0) {
                EXPECT_TRUE(got.type & MFT_SEPARATOR);
                continue;
            }
            EXPECT_FALSE(got.type & MFT_SEPARATOR);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.text, want.text);
        }
    }
    DestroyMenu(hMenu);
}

TEST(ResMenu, AcceleratorTable)
{
    ASSERT_FALSE(Raw(RT_ACCELERATOR, 131).empty()) << "no French accelerator table 131";
    HACCEL hAccel = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(131));
    ASSERT_NE(hAccel, nullptr);
    const int n = CopyAcceleratorTableW(hAccel, nullptr, 0);
    std::vector<ACCEL> table(n);
    CopyAcceleratorTableW(hAccel, table.data(), n);
    DestroyAcceleratorTable(hAccel);

    using Entry = std::tuple<int, int, int>;  // fVirt, key, command
    std::vector<Entry> got;
    for (const ACCEL& a : table)
        got.emplace_back(a.fVirt, a.key, a.cmd);
    std::vector<Entry> want = {
        {FVIRTKEY | FCONTROL | FNOINVERT, 'X', 32776},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'C', 32773},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'V', 32772},
        {FVIRTKEY | FNOINVERT, VK_DELETE, 32774},
        {FVIRTKEY | FNOINVERT, VK_BACK, 32774},
        {FVIRTKEY | FNOINVERT, VK_F2, 32778},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'A', 32787},
    };
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

// Every image up to 64 pixels is 24-bit colour with a mask, the form of the
// window's image list; the 256-pixel one is a PNG, as Windows keeps that size.
TEST(ResIcons, EachIconHasItsSizesIn24BitColourWithAMask)
{
    static const BYTE png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& [id, sizes] : ExpectedIconSizes()) {
        SCOPED_TRACE("icon " + std::to_string(id));
        const std::vector<GroupIconEntry> entries = GroupEntries(id);
        ASSERT_EQ(entries.size(), sizes.size());
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const int n = sizes[i];
            SCOPED_TRACE(std::to_string(n) + " pixels");
            const GroupIconEntry& e = entries[i];
            EXPECT_EQ(e.width, n == 256 ? 0 : n);  // 0 stands for 256
            EXPECT_EQ(e.height, n == 256 ? 0 : n);
            EXPECT_EQ(e.bitCount, n == 256 ? 32 : 24);
            EXPECT_EQ(e.planes, 1);

            const std::vector<BYTE> img = Raw(RT_ICON, e.id);
            EXPECT_EQ(img.size(), e.bytesInRes);
            if (n == 256) {
                ASSERT_GE(img.size(), sizeof png);
                EXPECT_EQ(std::memcmp(img.data(), png, sizeof png), 0);
                continue;
            }
            const std::size_t colourRow = (n * 3 + 3) / 4 * 4, maskRow = (n + 31) / 32 * 4;
            ASSERT_EQ(img.size(), sizeof(BITMAPINFOHEADER) + (colourRow + maskRow) * n);
            BITMAPINFOHEADER bih;
            std::memcpy(&bih, img.data(), sizeof bih);
            EXPECT_EQ(bih.biSize, sizeof bih);
            EXPECT_EQ(bih.biWidth, n);
            EXPECT_EQ(bih.biHeight, 2 * n);  // colour bitmap and mask
            EXPECT_EQ(bih.biBitCount, 24);
            EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));

            // The mask lets the background through around the picture, and
            // the picture covers a fair part of it: neither a forgotten
            // mask nor an empty image.
            const std::vector<bool> mask = MaskOf(img, n);
            const int transparent = static_cast<int>(std::count(mask.begin(), mask.end(), true));
            EXPECT_GT(transparent, 0);
            EXPECT_GE(n * n - transparent, n * n / 8);
        }
    }
}

TEST(ResIcons, LoadAtTheirSizes)
{
    HINSTANCE hInst = GetModuleHandleW(nullptr);
    for (const auto& [id, sizes] : ExpectedIconSizes()) {
        const std::vector<BYTE> group = Raw(RT_GROUP_ICON, id);
        const std::vector<GroupIconEntry> entries = GroupEntries(id);
        ASSERT_EQ(entries.size(), sizes.size()) << id;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const int n = sizes[i];
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(n));
            // Asked for this size, the system's choice is the image of this size.
            EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data()), TRUE, n, n, 0), entries[i].id);
            HICON hIcon = static_cast<HICON>(LoadImageW(hInst, MAKEINTRESOURCEW(id), IMAGE_ICON, n, n, 0));
            ASSERT_NE(hIcon, nullptr);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(hIcon, &info));
            EXPECT_TRUE(info.fIcon);
            ASSERT_NE(info.hbmColor, nullptr) << "a colour icon, not a monochrome one";
            BITMAP bm{};
            GetObjectW(info.hbmColor, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, n);
            EXPECT_EQ(bm.bmHeight, n);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);

            // Drawn at its size, the icon lets the background through exactly
            // where its own mask says: the image of that size, not another
            // one stretched. The PNG has no mask to compare: its corners are
            // transparent and its middle is not.
            const std::vector<bool> drawn = DrawnTransparent(hIcon, n);
            if (n == 256) {
                EXPECT_TRUE(drawn[0]);
                EXPECT_TRUE(drawn[n * n - 1]);
                EXPECT_FALSE(drawn[n / 2 * n + n / 2]);
                const auto transparent = std::count(drawn.begin(), drawn.end(), true);
                EXPECT_GE(n * n - transparent, n * n / 8);
            } else {
                EXPECT_EQ(drawn, MaskOf(Raw(RT_ICON, entries[i].id), n));
            }
            DestroyIcon(hIcon);
        }
    }
    // The window's large icon comes from LoadIcon, at the system size.
    EXPECT_NE(LoadIconW(hInst, MAKEINTRESOURCEW(128)), nullptr);
}

TEST(ResIcons, KindIconsAreDistinctPictures)
{
    for (std::size_t size = 0; size < 4; ++size) {
        std::vector<std::vector<BYTE>> pictures;
        for (WORD id = 133; id <= 146; ++id) {
            const std::vector<GroupIconEntry> entries = GroupEntries(id);
            ASSERT_EQ(entries.size(), 4u) << id;
            pictures.push_back(Raw(RT_ICON, entries[size].id));
        }
        for (std::size_t i = 0; i < pictures.size(); ++i)
            for (std::size_t j = i + 1; j < pictures.size(); ++j)
                EXPECT_NE(pictures[i], pictures[j]) << "icons " << 133 + i << " and " << 133 + j << ", image " << size;
    }
}

TEST(ResVersion, FixedInfoAndFrenchStrings)
{
    std::vector<BYTE> block = Raw(RT_VERSION, 1);
    ASSERT_FALSE(block.empty()) << "no French version resource";

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    ASSERT_GE(len, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u) << "one translation";
    EXPECT_EQ(translation[0], 0x040C);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionString(block, L"ProductName"), L"Trovelle");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Trovelle version 1.0");
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Bramwick Software");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0.0.0");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"trovelle.exe");
}

TEST(ResManifest, AsksForCommonControls6AndGetsThem)
{
    const std::vector<BYTE> raw = Raw(RT_MANIFEST, 1, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_FALSE(raw.empty()) << "no manifest 1";
    const std::string xml(raw.begin(), raw.end());
    const std::size_t cc = xml.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(cc, std::string::npos);
    const std::size_t start = xml.rfind('<', cc), end = xml.find('>', cc);
    EXPECT_NE(xml.substr(start, end - start).find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(xml.find("<supportedOS"), std::string::npos);

    // The loader applied it: this process's common controls are the side by
    // side assembly of version 6, not the system folder's version 5 (whose
    // DllGetVersion Wine also gives for version 6, so the path tells).
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    HMODULE hComctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(hComctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(hComctl, path, MAX_PATH);
    std::string lower = To1252(path);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(lower.find("\\winsxs\\"), std::string::npos) << lower;
    EXPECT_NE(lower.find("common-controls_6595b64144ccf1df_6."), std::string::npos) << lower;
}
