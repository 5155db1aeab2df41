// The control wrappers that do more than pass one message on, the ownership
// of image lists, menus and windows, and the application object.
#include <gtest/gtest.h>

#include "tests/fw/fw_test_support.h"
#include "tests/support/controls.h"

namespace {

class FwControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dlg.Create(IDD_FW_TEST));
        dlg.ShowWindow(SW_SHOW);
        ASSERT_TRUE(list.SubclassWindow(GetDlgItem(dlg.m_hWnd, IDC_FW_LIST)));
    }
    void TearDown() override { dlg.DestroyWindow(); }
    CDialog dlg{IDD_FW_TEST};
    CListCtrl list;
};

TEST_F(FwControls, ListItemsKeepTheirTextAndData)
{
    // Icon view places items by their images.
    CImageList images;
    images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
    EXPECT_EQ(images.Add(LoadIconA(nullptr, IDI_APPLICATION)), 0);
    list.SetImageList(images, LVSIL_NORMAL);
    const std::string longText(700, 'z');
    const DWORD_PTR data = static_cast<DWORD_PTR>(0x123456789ABCull);  // a pointer's full width
    EXPECT_EQ(list.InsertItem(LVIF_TEXT | LVIF_IMAGE, 0, "Texte", 0, 0, 0, 0), 0);
    EXPECT_EQ(list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, 1, longText.c_str(), 0, 0, 0, static_cast<LPARAM>(data)), 1);
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_STREQ(list.GetItemText(0, 0), "Texte");
    EXPECT_EQ(std::string(list.GetItemText(1, 0)), longText);  // past the first buffers
    // Any script, in and out as UTF-8.
    EXPECT_TRUE(list.SetItemText(0, 0, "Image \xc3\xa9t\xc3\xa9 \xd0\xa4\xe6\x97\xa5\xf0\x9f\x98\x80"));
    EXPECT_STREQ(list.GetItemText(0, 0), "Image \xc3\xa9t\xc3\xa9 \xd0\xa4\xe6\x97\xa5\xf0\x9f\x98\x80");
    EXPECT_EQ(list.GetItemData(1), data);
    EXPECT_EQ(list.GetItemData(0), 0u);

    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);

    EXPECT_EQ(list.InsertColumn(0, "Dur\xc3\xa9" "e", LVCFMT_RIGHT, 80, 0), 0);
    wchar_t szHeading[16] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.pszText = szHeading;
    col.cchTextMax = 16;
    ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&col)));
    EXPECT_EQ(col.cx, 80);
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_STREQ(szHeading, L"Dur\u00e9e");

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemData(0), data);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    list.SetImageList(nullptr, LVSIL_NORMAL);  // the image list is ours to destroy
}

TEST_F(FwControls, StatusBarPartsAndTexts)
{
    CStatusBarCtrl bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), &dlg, 104));
    int edges[3] = {50, 120, -1};
    EXPECT_TRUE(bar.SetParts(3, edges));
    int read[3] = {};
    EXPECT_EQ(bar.SendMessage(SB_GETPARTS, 3, reinterpret_cast<LPARAM>(read)), 3);
    EXPECT_EQ(std::vector<int>(read, read + 3), std::vector<int>(edges, edges + 3));

    const std::wstring part0 = L"Dans le presse-papier : Bloc-notes \u00e9t\u00e9";
    EXPECT_TRUE(bar.SetText("Dans le presse-papier : Bloc-notes \xc3\xa9t\xc3\xa9", 0, 0));
    EXPECT_TRUE(bar.SetText("Total : 0.0 Ko", 2, SBT_NOBORDERS));
    auto text = [&](int nPart, int* pType) {
        wchar_t sz[128] = {};
        *pType = HIWORD(bar.SendMessage(SB_GETTEXTW, static_cast<WPARAM>(nPart), reinterpret_cast<LPARAM>(sz)));
        return std::wstring(sz);
    };
    int nType = -1;
    EXPECT_EQ(text(0, &nType), part0);
    EXPECT_EQ(nType, 0);
    EXPECT_EQ(text(2, &nType), L"Total : 0.0 Ko");
    EXPECT_EQ(nType, SBT_NOBORDERS);
    EXPECT_EQ(text(1, &nType), L"");
}

// Each holder of the image list is one reference: two of ours, plus the
// owner's. An image list destroyed once leaves ours; twice, it leaves one.
class References {
public:
    explicit References(HIMAGELIST h)
    {
        // IID_IImageList
        static const IID kIID = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};
        using QueryFn = HRESULT(WINAPI*)(HIMAGELIST, REFIID, void**);
        const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("comctl32.dll"), "HIMAGELIST_QueryInterface")));
        if (query != nullptr && SUCCEEDED(query(h, kIID, reinterpret_cast<void**>(&m_p))))
            m_p->AddRef();
    }
    ~References()
    {
        if (m_p != nullptr) {
            m_p->Release();
            m_p->Release();
        }
    }
    bool Valid() const { return m_p != nullptr; }
    ULONG OthersLeft()
    {
        m_p->AddRef();
        return m_p->Release() - 2;
    }

private:
    IUnknown* m_p = nullptr;
};

TEST_F(FwControls, AnImageListIsDestroyedExactlyOnce)
{
    // Alone: its owner destroys it.
    {
        auto* pImages = new CImageList;
        ASSERT_TRUE(pImages->Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4));
        EXPECT_EQ(pImages->Add(LoadIconA(nullptr, IDI_APPLICATION)), 0);
        EXPECT_EQ(ImageList_GetImageCount(*pImages), 1);
        References refs(*pImages);
        ASSERT_TRUE(refs.Valid());
        delete pImages;
        EXPECT_EQ(refs.OthersLeft(), 0u);
    }
    // Taken back from the list view (no LVS_SHAREIMAGELISTS) first: the
    // owner destroys it; the views SetImageList gives back destroy nothing.
    {
        auto* pImages = new CImageList;
        pImages->Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
        References refs(*pImages);
        EXPECT_EQ(list.SetImageList(*pImages, LVSIL_NORMAL).GetSafeHandle(), nullptr);
        EXPECT_EQ(ListView_GetImageList(list, LVSIL_NORMAL), pImages->GetSafeHandle());
        {
            const CImageListHandle old = list.SetImageList(nullptr, LVSIL_NORMAL);
            EXPECT_EQ(old.GetSafeHandle(), pImages->GetSafeHandle());
            const CImageListHandle copy = old;
            EXPECT_EQ(copy.GetSafeHandle(), pImages->GetSafeHandle());
        }
        EXPECT_EQ(refs.OthersLeft(), 1u);  // still there: its owner's
        delete pImages;
        list.DestroyWindow();
        EXPECT_EQ(refs.OthersLeft(), 0u);
    }
}

TEST_F(FwControls, AListViewDestroysAnImageListLeftToIt)
{
    CImageList images;
    images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
    References refs(images);
    list.SetImageList(images, LVSIL_NORMAL);
    images.Detach();
    list.DestroyWindow();
    EXPECT_EQ(refs.OthersLeft(), 0u);
}

TEST(FwMenu, OwnsWhatItLoadsAndNotWhatItViews)
{
    HMENU hMenu = nullptr, hPopup = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_FW_MENU));
        hMenu = menu.GetSafeHmenu();
        {
            CMenuHandle popup = menu.GetSubMenu(0);
            ASSERT_NE(popup.GetSafeHmenu(), nullptr);
            hPopup = popup.GetSafeHmenu();
            EXPECT_EQ(popup.EnableMenuItem(ID_FW_FIRST, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(MF_ENABLED));
            popup.CheckMenuItem(ID_FW_SECOND, MF_BYCOMMAND | MF_CHECKED);
            EXPECT_EQ(GetMenuState(popup, ID_FW_FIRST, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
            EXPECT_EQ(GetMenuState(popup, ID_FW_SECOND, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
            EXPECT_TRUE(popup.ModifyMenu(ID_FW_FIRST, MF_BYCOMMAND | MF_STRING, ID_FW_FIRST, "&Apr\xc3\xa8s"));
        }
        EXPECT_TRUE(IsMenu(hPopup));  // the view went, the menu stays
        wchar_t sz[32] = {};
        GetMenuStringW(hPopup, ID_FW_FIRST, sz, 32, MF_BYCOMMAND);
        EXPECT_STREQ(sz, L"&Apr\u00e8s");
    }
    EXPECT_FALSE(IsMenu(hMenu));

    CMenu kept;
    kept.LoadMenu(IDR_FW_MENU);
    hMenu = kept.Detach();
    EXPECT_TRUE(IsMenu(hMenu));
    DestroyMenu(hMenu);
}

TEST(FwWnd, AWindowGoesWithItsObjectUnlessDetached)
{
    HWND hWnd = nullptr;
    {
        COwnerWnd wnd;
        hWnd = wnd.m_hWnd;
        ASSERT_TRUE(IsWindow(hWnd));
        wnd.SetWindowText(std::string(300, 'a').c_str());
        EXPECT_EQ(CWnd::GetWindowTextOf(wnd).GetLength(), 300);
        wnd.SetWindowText("\xc3\xa9t\xc3\xa9 \xd0\x9f");  // a letter that code page 1252 lacks
        EXPECT_EQ(CaptionW(wnd), L"\u00e9t\u00e9 \u041f");
    }
    EXPECT_FALSE(IsWindow(hWnd));
    {
        COwnerWnd wnd;
        hWnd = wnd.Detach();
    }
    EXPECT_TRUE(IsWindow(hWnd));
    DestroyWindow(hWnd);
}

TEST(FwWinApp, NamesAndOwnsItsMessageBoxes)
{
    EXPECT_EQ(AfxGetApp(), &theTestApp);
    EXPECT_STREQ(theTestApp.m_pszAppName, "test_fw");  // the executable's name
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleA(nullptr));
    EXPECT_TRUE(theTestApp.Enable3dControls());

    COwnerWnd main;
    theTestApp.m_pMainWnd = &main;
    BoxRecorder boxes;
    AfxMessageBox("Un \xc3\xa9t\xc3\xa9");
    AfxMessageBox("Deux", MB_YESNO);
    AfxMessageBox("Trois", MB_OK | MB_ICONSTOP);
    theTestApp.m_pMainWnd = nullptr;
    ASSERT_EQ(boxes.s_boxes.size(), 3u);
    EXPECT_EQ(boxes.s_boxes[0].hOwner, main.m_hWnd);
    EXPECT_EQ(boxes.s_boxes[0].text, L"Un \u00e9t\u00e9");
    EXPECT_EQ(boxes.s_boxes[0].caption, L"test_fw");
    EXPECT_EQ(boxes.s_boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.s_boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.s_boxes[2].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

TEST(FwWinApp, RunEndsAtTheQuitWithItsCode)
{
    PostQuitMessage(3);
    EXPECT_EQ(theTestApp.Run(), 3);
}

// The entry point, in a program of its own: the probe's exit code tells
// which path WinMain took (see winmain_probe.cpp).
TEST(FwWinMain, RunsInitInstanceThenRunOrExitInstance)
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CString dir(szPath);
    dir = dir.Left(dir.ReverseFind('\\'));
    for (const auto& [arg, expected] : {std::pair{"fail", 41u}, std::pair{"run", 27u}}) {
        CString cmd = "\"" + dir + "\\fw_winmain_probe.exe\" " + arg;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessA(nullptr, cmd.GetBuffer(0), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            << arg;
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        EXPECT_EQ(code, expected) << arg;
    }
}

}  // namespace
