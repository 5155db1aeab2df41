#include "tests/support/keeper_window.h"

#include "app/keeperapp.h"
#include "res/resource.h"
#include "tests/support/settings_key.h"

namespace {

void AllOptionsOff()
{
    theKeeperApp.m_bAutoName = theKeeperApp.m_bAutoPaste = 0;
    theKeeperApp.m_bTaskIcon = theKeeperApp.m_bHideWhenMinimized = 0;
}

}  // namespace

LVITEMA ItemOf(HWND hList, int i)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.iItem = i;
    SendMessageA(hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item;
}

CClip* ClipOf(HWND hList, int i)
{
    auto* pNode = reinterpret_cast<CClipList::Node*>(ItemOf(hList, i).lParam);
    return pNode != nullptr ? pNode->pClip : nullptr;
}

int InsertClip(HWND hList, const std::vector<Record>& records, bool bSelect)
{
    auto* pClip = new CClip;
    for (const Record& r : records)
        pClip->AddFormat(r.bytes.empty() ? nullptr : r.bytes.data(), static_cast<DWORD>(r.bytes.size()), r.id);
    CClipList::Node* pNode = theKeeperApp.m_listClips.AddTail(pClip);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(hList);
    item.pszText = const_cast<char*>("clip");
    item.lParam = reinterpret_cast<LPARAM>(pNode);
    const int i = static_cast<int>(SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (bSelect)
        ListView_SetItemState(hList, i, LVIS_SELECTED, LVIS_SELECTED);
    return i;
}

void PostRightClick(HWND hMain)
{
    static NMHDR hdr;  // read when the posted notice arrives
    hdr = {GetDlgItem(hMain, IDC_CLIPLIST), IDC_CLIPLIST, static_cast<UINT>(NM_RCLICK)};
    PostMessageA(hMain, WM_NOTIFY, IDC_CLIPLIST, reinterpret_cast<LPARAM>(&hdr));
}

void KeeperWindowTest::SetUp()
{
    DeleteSettings();
    AllOptionsOff();
    theKeeperApp.m_dwTotalBytes = 0;
    theKeeperApp.m_bSettingsSaved = false;
    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
}

void KeeperWindowTest::TearDown()
{
    theKeeperApp.DeleteAllClips();
    theKeeperApp.m_listClips.RemoveAll();
    theKeeperApp.m_dwTotalBytes = 0;
    AllOptionsOff();
    EmptyTheClipboard(reader.hwnd());
    DeleteSettings();
}

bool KeeperWindowTest::RunMainWindow(ModalScript& script, Closing closing)
{
    if (closing == Closing::AtTheEnd)
        script.Then([&] { PostMessageA(Wnd(), WM_CLOSE, 0, 0); });
    return script.RunModal(dlg, &result);
}

HWND KeeperWindowTest::List() const { return GetDlgItem(dlg.m_hWnd, IDC_CLIPLIST); }

HWND KeeperWindowTest::Status() const { return GetDlgItem(dlg.m_hWnd, IDC_STATUSBAR); }
