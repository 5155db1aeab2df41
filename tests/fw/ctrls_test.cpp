// The control wrappers that do more than pass one message on, the ownership
// of image lists, menus and windows, and the application object.
#include <gtest/gtest.h>

#include "fw/tempmap.h"
#include "tests/fw/fw_test_support.h"

namespace {

class FwControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dlg.Create(IDD_FW_TEST));
        dlg.ShowWindow(SW_SHOW);
        ASSERT_TRUE(list.SubclassDlgItem(IDC_FW_LIST, &dlg));
    }
    void TearDown() override { dlg.DestroyWindow(); }
    CDialog dlg{IDD_FW_TEST};
    CListCtrl list;
};

TEST_F(FwControls, ListItemsKeepTheirTextDataAndState)
{
    // Icon view places items by their images.
    CImageList images;
    images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
    images.Add(LoadIconA(nullptr, IDI_APPLICATION));
    list.SetImageList(&images, LVSIL_NORMAL);
    const std::string longText(700, 'z');
    EXPECT_EQ(list.InsertItem(0, "Texte", 3), 0);
    EXPECT_EQ(list.InsertItem(1, longText.c_str(), 1), 1);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_STREQ(list.GetItemText(0, 0), "Texte");
    EXPECT_EQ(std::string(list.GetItemText(1, 0)), longText);  // past the first buffers
    EXPECT_TRUE(list.SetItemText(0, 0, "Image 1"));
    EXPECT_STREQ(list.GetItemText(0, 0), "Image 1");

    const DWORD_PTR data = static_cast<DWORD_PTR>(0x123456789ABCull);  // a pointer's full width
    EXPECT_TRUE(list.SetItemData(1, data));
    EXPECT_EQ(list.GetItemData(1), data);
    EXPECT_EQ(list.GetItemData(0), 0u);

    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED) & LVIS_SELECTED, static_cast<UINT>(LVIS_SELECTED));

    CRect rc;
    ASSERT_TRUE(list.GetItemRect(1, &rc, LVIR_ICON));
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(CPoint(rc.left + rc.Width() / 2, rc.top + rc.Height() / 2), &flags), 1);
    EXPECT_NE(flags & LVHT_ONITEM, 0u);
    EXPECT_EQ(list.HitTest(CPoint(-50, -50), &flags), -1);

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemData(0), data);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    list.SetImageList(nullptr, LVSIL_NORMAL);  // the image list is ours to destroy
}

TEST_F(FwControls, StatusBarPartsAndTexts)
{
    CStatusBarCtrl bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), &dlg, 104));
    int edges[3] = {50, 120, -1};
    EXPECT_TRUE(bar.SetParts(3, edges));
    int read[3] = {};
    EXPECT_EQ(bar.GetParts(3, read), 3);
    EXPECT_EQ(std::vector<int>(read, read + 3), std::vector<int>(edges, edges + 3));

    const CString part0 = "Dans le presse-papier : Bloc-notes";
    EXPECT_TRUE(bar.SetText(part0, 0, 0));
    EXPECT_TRUE(bar.SetText("Total : 0.0 Ko", 2, SBT_NOBORDERS));
    int nType = -1;
    EXPECT_TRUE(bar.GetText(0, &nType) == part0);
    EXPECT_EQ(nType, 0);
    EXPECT_STREQ(bar.GetText(2, &nType), "Total : 0.0 Ko");
    EXPECT_EQ(nType, SBT_NOBORDERS);
    EXPECT_TRUE(bar.GetText(1).IsEmpty());
    CRect rc;
    EXPECT_TRUE(bar.GetRect(0, &rc));
    EXPECT_EQ(rc.right, 50);
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
    // Alone: its object destroys it.
    {
        auto* pImages = new CImageList;
        ASSERT_TRUE(pImages->Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4));
        EXPECT_EQ(pImages->Add(LoadIconA(nullptr, IDI_APPLICATION)), 0);
        EXPECT_EQ(pImages->GetImageCount(), 1);
        References refs(pImages->m_hImageList);
        ASSERT_TRUE(refs.Valid());
        delete pImages;
        EXPECT_EQ(refs.OthersLeft(), 0u);
    }
    // Taken back from the list view (no LVS_SHAREIMAGELISTS) first: the
    // object destroys it; the wrapper SetImageList gave back owns nothing.
    {
        auto* pImages = new CImageList;
        pImages->Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
        References refs(pImages->m_hImageList);
        EXPECT_EQ(list.SetImageList(pImages, LVSIL_NORMAL), nullptr);
        EXPECT_EQ(list.GetImageList(LVSIL_NORMAL)->m_hImageList, pImages->m_hImageList);
        CImageList* pOld = list.SetImageList(nullptr, LVSIL_NORMAL);
        ASSERT_NE(pOld, nullptr);
        EXPECT_EQ(pOld->m_hImageList, pImages->m_hImageList);
        fw::DeleteTempObjects();
        delete pImages;
        list.DestroyWindow();
        EXPECT_EQ(refs.OthersLeft(), 0u);
    }
}

TEST_F(FwControls, AListViewDestroysAnImageListLeftToIt)
{
    CImageList images;
    images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
    References refs(images.m_hImageList);
    list.SetImageList(&images, LVSIL_NORMAL);
    images.Detach();
    list.DestroyWindow();
    EXPECT_EQ(refs.OthersLeft(), 0u);
}

TEST(FwMenu, OwnsWhatItLoadsAndNotWhatItWraps)
{
    HMENU hMenu = nullptr, hPopup = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_FW_MENU));
        hMenu = menu.m_hMenu;
        CMenu* pPopup = menu.GetSubMenu(0);
        ASSERT_NE(pPopup, nullptr);
        hPopup = pPopup->m_hMenu;
        EXPECT_EQ(pPopup->EnableMenuItem(ID_FW_FIRST, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(MF_ENABLED));
        pPopup->CheckMenuItem(ID_FW_SECOND, MF_BYCOMMAND | MF_CHECKED);
        EXPECT_EQ(pPopup->GetMenuState(ID_FW_FIRST, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
        EXPECT_EQ(pPopup->GetMenuState(ID_FW_SECOND, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
        fw::DeleteTempObjects();
        EXPECT_TRUE(IsMenu(hPopup));
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
        CString text;
        wnd.SetWindowText(std::string(300, 'a').c_str());
        wnd.GetWindowText(text);
        EXPECT_EQ(text.GetLength(), 300);
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
    AfxMessageBox("Un");
    AfxMessageBox("Deux", MB_YESNO);
    AfxMessageBox("Trois", MB_OK | MB_ICONSTOP);
    theTestApp.m_pMainWnd = nullptr;
    ASSERT_EQ(boxes.s_boxes.size(), 3u);
    EXPECT_EQ(boxes.s_boxes[0].hOwner, main.m_hWnd);
    EXPECT_EQ(boxes.s_boxes[0].caption, "test_fw");
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
