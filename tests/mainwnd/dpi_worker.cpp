// The main window, the format list and the preview at the scale the user has
// set (run by dpi_test.cpp, which sets it): every size the program gives in
// pixels at 100 % is read back from the controls, scaled; the longest status
// texts fit their parts; a change of scale resizes what it must. Pictures of
// each window are saved with the scale in their names.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "clips/clipkind.h"
#include "res/resource.h"
#include "tests/support/keeper_window.h"
#include "tests/support/controls.h"

namespace {

UINT ScaleUnderTest()
{
    const char* psz = std::getenv("TROVELLE_DPI_UNDER_TEST");
    return psz != nullptr ? static_cast<UINT>(std::atoi(psz)) : 0;
}

int Scaled(int nPixels, UINT nDpi) { return MulDiv(nPixels, static_cast<int>(nDpi), 96); }

std::string Picture(const char* pszName, UINT nDpi) { return std::string(pszName) + "_" + std::to_string(nDpi); }

SIZE IconSize(HICON hIcon)
{
    ICONINFO info = {};
    SIZE size = {0, 0};
    if (hIcon != nullptr && GetIconInfo(hIcon, &info)) {
        BITMAP bm = {};
        GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        size = {bm.bmWidth, info.hbmColor != nullptr ? bm.bmHeight : bm.bmHeight / 2};
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return size;
}

std::vector<int> PartEdges(HWND hStatus)
{
    int edges[3] = {};
    SendMessageA(hStatus, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    return {edges[0], edges[1], edges[2]};
}

std::vector<int> ExpectedEdges(HWND hWnd, UINT nDpi)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    const int w = rc.right - rc.left;
    return {std::max(w - Scaled(200, nDpi), 0), w - Scaled(100, nDpi), -1};
}

// How wide the text is in the control's own font.
int TextWidth(HWND hControl, const char* pszText)
{
    HDC hDC = GetDC(hControl);
    HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessageA(hControl, WM_GETFONT, 0, 0)));
    SIZE text = {};
    GetTextExtentPoint32A(hDC, pszText, lstrlenA(pszText), &text);
    SelectObject(hDC, hOld);
    ReleaseDC(hControl, hDC);
    return text.cx;
}

// Whether the text, written into the part, fits it whole: measured with the
// status bar's own font against the part less its borders. (The size grip
// is drawn over the last part's right end; that part's width is the one the
// window was designed with, so the longest total reaches into the grip's
// corner, as it does at 100 %: the figures are printed.)
bool FitsPart(HWND hStatus, int nPart, const char* pszText)
{
    RECT rc = {};
    SendMessageA(hStatus, SB_GETRECT, static_cast<WPARAM>(nPart), reinterpret_cast<LPARAM>(&rc));
    int borders[3] = {};
    SendMessageA(hStatus, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int room = rc.right - rc.left - 2 * borders[0];
    const int text = TextWidth(hStatus, pszText);
    std::printf("[ SCALE    ] part %d: \"%s\" is %d px, the part holds %d px\n", nPart, pszText, text, room);
    return text <= room;
}

// The notification area's icon as the shell is given it.
HICON g_hTrayIcon = nullptr;
BOOL WINAPI RecordTrayIcon(DWORD dwMessage, PNOTIFYICONDATAW pData)
{
    if (dwMessage == NIM_ADD || dwMessage == NIM_MODIFY)
        g_hTrayIcon = pData->hIcon;
    return TRUE;
}

class AtThisScale : public KeeperWindowTest {
protected:
    void SetUp() override
    {
        m_nDpi = ScaleUnderTest();
        if (m_nDpi == 0)
            GTEST_SKIP() << "run by the DisplayScale tests";
        KeeperWindowTest::SetUp();
    }
    // Clips of several kinds, the second one selected.
    void AddClips()
    {
        theKeeperApp.m_bAutoName = 1;
        BITMAPINFOHEADER bih = {sizeof bih, 4, 4, 1, 24, BI_RGB, 4 * 12, 0, 0, 0, 0};
        Bytes dib(reinterpret_cast<BYTE*>(&bih), reinterpret_cast<BYTE*>(&bih) + sizeof bih);
        dib.resize(dib.size() + 4 * 12, 0x80);
        const std::vector<SourceFormat> copies = {
            {CF_TEXT, TextBytes("Une ligne de texte\r\net une autre")},
            {CF_DIB, dib},
            {RegisterFormat("HTML Format"), TextBytes("<b>gras</b>")},
            {RegisterFormat("UniformResourceLocator"), TextBytes("http://example.org/")},
            {RegisterFormat("Rich Text Format"), PatternBytes(3000, 7)},
        };
        for (const SourceFormat& f : copies) {
            ASSERT_TRUE(source.Offer({f}));
            Command(ID_EDITION_COLLER);
        }
        Select(List(), {1});
        static NMHDR click;
        click = {List(), IDC_CLIPLIST, static_cast<UINT>(NM_CLICK)};
        SendMessageA(Wnd(), WM_NOTIFY, IDC_CLIPLIST, reinterpret_cast<LPARAM>(&click));
    }
    UINT m_nDpi = 0;
};

TEST_F(AtThisScale, TheMainWindowsSizesAreThoseOf100PercentScaled)
{
    theKeeperApp.m_bTaskIcon = 1;
    SysOverride<decltype(SysApi::Shell_NotifyIconW)> tray{&SysApi::Shell_NotifyIconW, RecordTrayIcon};
    ModalScript script;
    script
        .Then([&] {
            // The program runs at the scale the user set.
            ASSERT_NE(Sys().GetDpiForWindow, nullptr);
            ASSERT_EQ(Sys().GetDpiForWindow(Wnd()), m_nDpi);
            EXPECT_EQ(Dpi(), m_nDpi);
            AddClips();
        })
        .Then([&] {
            int cx = 0, cy = 0;
            ASSERT_TRUE(ImageList_GetIconSize(ListView_GetImageList(List(), LVSIL_NORMAL), &cx, &cy));
            EXPECT_EQ(cx, Scaled(32, m_nDpi));
            EXPECT_EQ(cy, Scaled(32, m_nDpi));
            EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(List(), LVSIL_NORMAL)), CK_COUNT);
            EXPECT_EQ(PartEdges(Status()), ExpectedEdges(Wnd(), m_nDpi));

            // The caption's and the notification area's icons, as the system
            // sizes them at this scale.
            const int cxSmall = CWnd::GetSystemMetricsForDpi(SM_CXSMICON, m_nDpi);
            const int cxBig = CWnd::GetSystemMetricsForDpi(SM_CXICON, m_nDpi);
            EXPECT_EQ(IconSize(reinterpret_cast<HICON>(SendMessageA(Wnd(), WM_GETICON, ICON_SMALL, 0))).cx, cxSmall);
            EXPECT_EQ(IconSize(reinterpret_cast<HICON>(SendMessageA(Wnd(), WM_GETICON, ICON_BIG, 0))).cx, cxBig);
            EXPECT_EQ(IconSize(g_hTrayIcon).cx, cxSmall);

            EXPECT_NE(StatusText(Status(), 1), "");
            SaveWindowPicture(Wnd(), Picture("main_window", m_nDpi));

            // The longest texts the program writes into the size parts.
            for (const char* psz : {"Taille : 1023.9 Ko", "Taille : 1023.99 Mo"}) {
                SendMessageA(Status(), SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(psz));
                EXPECT_TRUE(FitsPart(Status(), 1, psz)) << psz;
            }
            SendMessageA(Status(), SB_SETTEXTA, 2, reinterpret_cast<LPARAM>("Total : 1023.9 Mo"));
            EXPECT_TRUE(FitsPart(Status(), 2, "Total : 1023.9 Mo"));
            SaveWindowPicture(Wnd(), Picture("main_window_longest_texts", m_nDpi));
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(AtThisScale, AChangeOfScaleResizesTheIconsAndThePartsAndKeepsTheClips)
{
    const UINT nNewDpi = m_nDpi == 192 ? 144 : 192;
    RECT rcSuggested = {};
    std::vector<int> imagesBefore;
    ModalScript script;
    script
        .Then([&] {
            AddClips();
            for (int i = 0; i < ListView_GetItemCount(List()); ++i)
                imagesBefore.push_back(ItemOf(List(), i).iImage);
            RECT rc;
            GetWindowRect(Wnd(), &rc);
            rcSuggested = {rc.left, rc.top, rc.left + Scaled(500, nNewDpi), rc.top + Scaled(300, nNewDpi)};
            SendMessageA(Wnd(), WM_DPICHANGED, MAKEWPARAM(nNewDpi, nNewDpi), reinterpret_cast<LPARAM>(&rcSuggested));
        })
        .Then([&] {
            RECT rc;
            GetWindowRect(Wnd(), &rc);
            EXPECT_EQ(rc.right - rc.left, rcSuggested.right - rcSuggested.left);
            EXPECT_EQ(rc.bottom - rc.top, rcSuggested.bottom - rcSuggested.top);
            int cx = 0, cy = 0;
            ASSERT_TRUE(ImageList_GetIconSize(ListView_GetImageList(List(), LVSIL_NORMAL), &cx, &cy));
            EXPECT_EQ(cx, Scaled(32, nNewDpi));
            EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(List(), LVSIL_NORMAL)), CK_COUNT);
            EXPECT_EQ(PartEdges(Status()), ExpectedEdges(Wnd(), nNewDpi));
            std::vector<int> imagesAfter;
            for (int i = 0; i < ListView_GetItemCount(List()); ++i)
                imagesAfter.push_back(ItemOf(List(), i).iImage);
            EXPECT_EQ(imagesAfter, imagesBefore);
            EXPECT_EQ(IconSize(reinterpret_cast<HICON>(SendMessageA(Wnd(), WM_GETICON, ICON_SMALL, 0))).cx,
                      CWnd::GetSystemMetricsForDpi(SM_CXSMICON, nNewDpi));
            SaveWindowPicture(Wnd(), Picture("main_window_after_scale_change", m_nDpi));
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(AtThisScale, TheFormatListsColumnsAreThoseOf100PercentScaled)
{
    std::vector<int> widths, expected;
    ModalScript script;
    script.Then([&] {
              ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("du texte")}, {RegisterFormat("HTML Format"),
                                                                         TextBytes("<i>html</i>")}}));
              PostMessageA(Status(), WM_RBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
          })
        .Then([] {})
        .Then([&] {
            const HWND hDlg = FindWindowA("#32770", "Contenu du Clipboard");
            ASSERT_NE(hDlg, nullptr);
            const HWND hList = GetDlgItem(hDlg, IDC_CLIPLIST);
            RECT rc;
            GetWindowRect(hList, &rc);
            expected = {rc.right - rc.left - Scaled(149, m_nDpi), Scaled(45, m_nDpi), Scaled(100, m_nDpi)};
            for (int i = 0; i < 3; ++i)
                widths.push_back(ListView_GetColumnWidth(hList, i));
            SaveWindowPicture(hDlg, Picture("format_list", m_nDpi));
            PostMessageA(hDlg, WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(widths, expected);
}

TEST_F(AtThisScale, PicturesOfThePreviewTheNamingDialogTheAboutBoxAndTheTrayMenu)
{
    theKeeperApp.m_bTaskIcon = 1;
    bool bMenu = false;
    int nLabel = 0, nLabelText = 0, nTemplate = 0;
    ModalScript script;
    script.Then([&] { AddClips(); })
        .Then([&] {
            Select(List(), {0});
            static NMHDR rclick;
            rclick = {List(), IDC_CLIPLIST, static_cast<UINT>(NM_RCLICK)};
            PostMessageA(Wnd(), WM_NOTIFY, IDC_CLIPLIST, reinterpret_cast<LPARAM>(&rclick));
        })
        .Then([] {})
        .Then([&] {
            const HWND hPreview = FindWindowA("#32770", "Aper\xe7u : Texte");
            ASSERT_NE(hPreview, nullptr);
            SaveWindowPicture(hPreview, Picture("preview_text", m_nDpi));
            PostMessageA(hPreview, WM_CLOSE, 0, 0);
        })
        .Then([&] { PostMessageA(Wnd(), WM_COMMAND, IDM_ABOUTBOX, 0); })
        .Then([] {})
        .Then([&] {
            const HWND hAbout = FindWindowA("#32770", "A propos de Trovelle");
            ASSERT_NE(hAbout, nullptr);
            SaveWindowPicture(hAbout, Picture("about_box", m_nDpi));
            PostMessageA(hAbout, WM_CLOSE, 0, 0);
        })
        .Then([&] {
            theKeeperApp.m_bAutoName = 0;
            PostMessageA(Wnd(), WM_COMMAND, ID_EDITION_COLLER, 0);
        })
        .Then([] {})
        .Then([&] {
            const HWND hName = FindWindowA("#32770", "Ajouter");
            ASSERT_NE(hName, nullptr);
            const HWND hLabel = FindWindowExA(hName, nullptr, "Static", nullptr);
            ASSERT_NE(hLabel, nullptr);
            RECT rcLabel, rcTemplate = {0, 0, 79, 8};  // the label's size in dialog units
            GetWindowRect(hLabel, &rcLabel);
            MapDialogRect(hName, &rcTemplate);
            nLabel = rcLabel.right - rcLabel.left;
            nTemplate = rcTemplate.right - rcTemplate.left;
            nLabelText = TextWidth(hLabel, "Nom de l'objet \xe0 ajouter :");
            std::printf("[ SCALE    ] naming label: text %d px, label %d px, template %d px\n", nLabelText, nLabel,
                        nTemplate);
            SaveWindowPicture(hName, Picture("name_dialog", m_nDpi));
            PostMessageA(hName, WM_COMMAND, IDCANCEL, 0);
        })
        .Then([&] { PostMessageA(Wnd(), WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN); })
        .Then([&] {
            // Inside the menu's own loop.
            bMenu = FindWindowA("#32768", nullptr) != nullptr;
            SaveWindowPicture(GetDesktopWindow(), Picture("tray_menu", m_nDpi));
            EndMenu();
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_TRUE(bMenu);
    // The naming dialog's label shows its whole text; where the template's
    // width holds it (100 %), the label keeps that width.
    EXPECT_GE(nLabel, nLabelText);
    if (nLabelText <= nTemplate) {
        EXPECT_EQ(nLabel, nTemplate);
    }
}

TEST_F(AtThisScale, WithoutThePerWindowCallTheScaleIsTheScreens)
{
    // Systems before Windows 10 have no GetDpiForWindow.
    SysOverride<decltype(SysApi::GetDpiForWindow)> none{&SysApi::GetDpiForWindow, nullptr};
    SysOverride<decltype(SysApi::GetSystemMetricsForDpi)> noMetrics{&SysApi::GetSystemMetricsForDpi, nullptr};
    ModalScript script;
    script.Then([&] {
        EXPECT_EQ(Dpi(), m_nDpi);
        EXPECT_EQ(CWnd::GetSystemMetricsForDpi(SM_CXSMICON, m_nDpi), GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(CWnd::GetSystemMetricsForDpi(SM_CXICON, 2 * m_nDpi), 2 * GetSystemMetrics(SM_CXICON));
        EXPECT_EQ(PartEdges(Status()), ExpectedEdges(Wnd(), m_nDpi));
    });
    EXPECT_TRUE(RunMainWindow(script));
}

}  // namespace
