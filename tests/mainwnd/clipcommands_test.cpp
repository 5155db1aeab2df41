// The clip commands of the real main window under Wine: capture, restore,
// cut, delete, rename, the list's clicks, and automatic capture on clipboard
// changes. Driven by the commands, keys, mouse messages and change notices a
// user's actions produce; results read from the controls, the clipboard (by
// another window) and the store.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "clips/clipkind.h"
#include "mainwnd/keeperdlg.h"
#include "mainwnd/sizetext.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/controls.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"

namespace {

const std::string kOnClipboard = "Dans le presse-papier : ";

unsigned long long SizeOf(HWND hList, int i)
{
    return ClipOf(hList, i) != nullptr ? ClipOf(hList, i)->m_dwTotalSize : 0;
}

std::string TotalText(unsigned long long n) { return FormatTotalText(n).GetString(); }

std::vector<int> Selected(HWND hList)
{
    std::vector<int> items;
    for (int i = ListView_GetNextItem(hList, -1, LVNI_SELECTED); i != -1;
         i = ListView_GetNextItem(hList, i, LVNI_SELECTED))
        items.push_back(i);
    return items;
}

POINT ItemCentre(HWND hList, int i)
{
    RECT rc = {};
    rc.left = LVIR_ICON;
    SendMessageA(hList, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// A point of the list's background, below and right of every icon.
POINT Background(HWND hList)
{
    RECT rc;
    GetClientRect(hList, &rc);
    return {rc.right - 10, rc.bottom - 10};
}

void PostClick(HWND hList, POINT pt, WPARAM keys = 0)
{
    PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(pt.x, pt.y));
    PostMessageA(hList, WM_LBUTTONUP, keys, MAKELPARAM(pt.x, pt.y));
}

HWND NamingDialog() { return FindWindowA("#32770", "Ajouter"); }

// Puts formats on the clipboard as hWnd, or as no window at all.
void OfferAs(HWND hWnd, const std::vector<SourceFormat>& formats)
{
    ASSERT_TRUE(OpenClipboard(hWnd));
    EmptyClipboard();
    for (const SourceFormat& f : formats)
        SetClipboardData(f.id, GlobalFromBytes(f.bytes));
    CloseClipboard();
}

// A program's top-level window with a child control and an owned pop-up:
// either can own the clipboard, the title is the top window's.
class ProgramWindows {
public:
    explicit ProgramWindows(const char* pszTitle)
    {
        const HINSTANCE hInst = GetModuleHandleA(nullptr);
        m_hTop = CreateWindowA("STATIC", pszTitle, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, hInst, nullptr);
        m_hChild = CreateWindowA("STATIC", "enfant", WS_CHILD, 0, 0, 10, 10, m_hTop, nullptr, hInst, nullptr);
        m_hPopup = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, m_hTop, nullptr, hInst, nullptr);
    }
    ~ProgramWindows() { DestroyWindow(m_hTop); }  // takes the child and the pop-up along
    HWND child() const { return m_hChild; }
    HWND popup() const { return m_hPopup; }

private:
    HWND m_hTop, m_hChild, m_hPopup;
};

class ClipCommands : public KeeperWindowTest {
protected:
    // Offers text as the source window, under the title given, and captures it.
    void CaptureText(const char* pszTitle, const std::string& text)
    {
        SetWindowTextA(source.hwnd(), pszTitle);
        ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes(text)}}));
        Command(ID_EDITION_COLLER);
    }
    unsigned long long SumOfItems() const
    {
        unsigned long long n = 0;
        for (int i = 0; i < ListView_GetItemCount(List()); ++i)
            n += SizeOf(List(), i);
        return n;
    }
};

TEST_F(ClipCommands, AutomaticNamingTakesTheTitleOfTheOwnersTopWindowWhole)
{
    theKeeperApp.m_bAutoName = 1;
    ProgramWindows classeur("Classeur de test");
    const std::string longTitle(80, 'x');
    ProgramWindows longOne(longTitle.c_str());
    ModalScript script;
    script
        .Then([&] {
            OfferAs(classeur.child(), {{CF_TEXT, TextBytes("bonjour")}});
            EXPECT_EQ(StatusText(Status(), 0), kOnClipboard + "Classeur de test");
            Command(ID_EDITION_COLLER);
            ASSERT_EQ(ListView_GetItemCount(List()), 1);
            EXPECT_EQ(ItemText(List(), 0), "Classeur de test");
            EXPECT_EQ(ItemOf(List(), 0).iImage, CK_TEXT);
            ASSERT_NE(ClipOf(List(), 0), nullptr);
            EXPECT_EQ(std::string(ClipOf(List(), 0)->m_strName), "Classeur de test");
            EXPECT_EQ(ClipCount(), 1);
            EXPECT_EQ(StatusText(Status(), 2), TotalText(SizeOf(List(), 0)));

            // An owned pop-up leads to its owner; a long title is not cut.
            OfferAs(longOne.popup(), {{CF_TEXT, TextBytes("au revoir")}});
            EXPECT_EQ(StatusText(Status(), 0), kOnClipboard + longTitle);
            Command(ID_EDITION_COLLER);
            ASSERT_EQ(ListView_GetItemCount(List()), 2);
            EXPECT_EQ(ItemText(List(), 1), longTitle);
            EXPECT_EQ(ClipCount(), 2);
            EXPECT_EQ(theKeeperApp.m_dwTotalBytes, SumOfItems());
            EXPECT_EQ(StatusText(Status(), 2), TotalText(SumOfItems()));
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, WithoutATitleTheNameIsTheKindAndANumberThatKeepsRising)
{
    theKeeperApp.m_bAutoName = 1;
    TestWindow untitled("");
    const UINT nPrivate = RegisterFormat("Trovelle format d'essai");
    ModalScript script;
    script
        .Then([&] {
            ASSERT_TRUE(untitled.Offer({{CF_TEXT, TextBytes("un")}}));
            EXPECT_EQ(StatusText(Status(), 0), "");  // no prefix without a name
            Command(ID_EDITION_COLLER);
            Command(ID_EDITION_COLLER);
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Texte 1", "Texte 2"}));

            Select(List(), {0, 1});
            Command(ID_EDITION_SUPPRIMER);
            EXPECT_EQ(ListView_GetItemCount(List()), 0);
            EXPECT_EQ(StatusText(Status(), 2), "Total : 0.0 Ko");  // as at start

            // No owner at all: the clipboard was filled without a window.
            OfferAs(nullptr, {{CF_TEXT, TextBytes("sans fen\xeatre")}});
            EXPECT_EQ(StatusText(Status(), 0), "");
            Command(ID_EDITION_COLLER);
            // A format that names no known kind.
            ASSERT_TRUE(untitled.Offer({{nPrivate, PatternBytes(40, 1)}}));
            Command(ID_EDITION_COLLER);
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Texte 3", "Autre 4"}));
            EXPECT_EQ(ItemOf(List(), 1).iImage, CK_OTHER);
            EXPECT_EQ(ClipCount(), 4);
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, TheNamingDialogNamesTheClipAndItsCancelKeepsEverythingAsItWas)
{
    CopyCounter copies;
    int nLiveBefore = -1;
    unsigned long long nTotalBefore = 0;
    std::string totalTextBefore;
    ModalScript script;
    script.Then([&] { ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("nomme-moi")}})); })
        .Then([&] { PostMessageA(Wnd(), WM_COMMAND, ID_EDITION_COLLER, 0); })
        .Then([&] {
            ASSERT_NE(NamingDialog(), nullptr);
            EXPECT_EQ(ListView_GetItemCount(List()), 0);  // held back until the dialog ends
            SetDlgItemTextA(NamingDialog(), IDC_NAME, "Mon texte");
            PostMessageA(NamingDialog(), WM_COMMAND, IDOK, 0);
        })
        .Then([&] {
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Mon texte"}));
            PostMessageA(Wnd(), WM_COMMAND, ID_EDITION_COLLER, 0);
        })
        .Then([&] {
            // OK with the field left empty.
            ASSERT_NE(NamingDialog(), nullptr);
            PostMessageA(NamingDialog(), WM_COMMAND, IDOK, 0);
        })
        .Then([&] {
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Mon texte", "Texte 2"}));
            EXPECT_EQ(std::string(ClipOf(List(), 1)->m_strName), "Texte 2");
            nLiveBefore = copies.Live();
            nTotalBefore = theKeeperApp.m_dwTotalBytes;
            totalTextBefore = StatusText(Status(), 2);
            PostMessageA(Wnd(), WM_COMMAND, ID_EDITION_COLLER, 0);
        })
        .Then([&] {
            ASSERT_NE(NamingDialog(), nullptr);
            SetDlgItemTextA(NamingDialog(), IDC_NAME, "jamais");
            PostMessageA(NamingDialog(), WM_COMMAND, IDCANCEL, 0);
        })
        .Then([&] {
            EXPECT_EQ(NamingDialog(), nullptr);
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Mon texte", "Texte 2"}));
            EXPECT_EQ(ClipCount(), 2);
            EXPECT_EQ(theKeeperApp.m_listClips.GetCount(), 2);
            EXPECT_EQ(theKeeperApp.m_dwTotalBytes, nTotalBefore);
            EXPECT_EQ(StatusText(Status(), 2), totalTextBefore);
            EXPECT_EQ(copies.Live(), nLiveBefore);  // the discarded clip kept nothing
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, CopierAndCouperPutTheFirstSelectedClipBackByteForByte)
{
    theKeeperApp.m_bAutoName = 1;
    const UINT nPrivate = RegisterFormat("Trovelle octets d'essai");
    std::vector<std::vector<ReadFormat>> offered;
    ModalScript script;
    script
        .Then([&] {
            const char* titles[] = {"Premier", "Deuxi\xe8me", "Troisi\xe8me"};
            for (int i = 0; i < 3; ++i) {
                SetWindowTextA(source.hwnd(), titles[i]);
                ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes(std::string(titles[i]) + " texte")},
                                          {nPrivate, PatternBytes(100 + 50 * i, i)}}));
                offered.push_back(StorableOnly(ReadClipboard(reader.hwnd())));
                Command(ID_EDITION_COLLER);
            }
            ASSERT_EQ(ListView_GetItemCount(List()), 3);

            Select(List(), {1});
            Command(ID_EDITION_COPIER);
            EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), offered[1]);
            EXPECT_EQ(StatusText(Status(), 0), kOnClipboard + "Deuxi\xe8me");
            EXPECT_FALSE(Restoring());
            EXPECT_EQ(ListView_GetItemCount(List()), 3);

            // Couper with all three selected takes the lowest one only.
            const unsigned long long nRest = SizeOf(List(), 1) + SizeOf(List(), 2);
            Select(List(), {0, 1, 2});
            SendMessageA(Status(), SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Taille : 1 octets"));
            Command(ID_EDITION_COUPER);
            EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), offered[0]);
            EXPECT_EQ(StatusText(Status(), 0), kOnClipboard + "Premier");
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Deuxi\xe8me", "Troisi\xe8me"}));
            EXPECT_EQ(Selected(List()), (std::vector<int>{0, 1}));
            EXPECT_EQ(theKeeperApp.m_dwTotalBytes, nRest);
            EXPECT_EQ(theKeeperApp.m_listClips.GetCount(), 2);
            EXPECT_EQ(StatusText(Status(), 2), TotalText(nRest));
            EXPECT_EQ(StatusText(Status(), 1), "");
            EXPECT_EQ(ClipCount(), 3);  // never lowered
            EXPECT_FALSE(Restoring());
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, SupprimerDeletesEverySelectedClipAndOnlyThose)
{
    theKeeperApp.m_bAutoName = 1;
    CopyCounter copies;
    unsigned long long nGone = 0, nBefore = 0;
    ModalScript script;
    script
        .Then([&] {
            for (int i = 0; i < 6; ++i)
                CaptureText(("Clip " + std::to_string(i)).c_str(), std::string(10 + 30 * i, 'a' + i));
            ASSERT_EQ(ListView_GetItemCount(List()), 6);
            nGone = SizeOf(List(), 1) + SizeOf(List(), 3) + SizeOf(List(), 4);
            nBefore = theKeeperApp.m_dwTotalBytes;

            Select(List(), {1, 3, 4});
            PostKey(List(), VK_DELETE);  // the accelerator, through the window's loop
        })
        .Then([&] {
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Clip 0", "Clip 2", "Clip 5"}));
            EXPECT_EQ(theKeeperApp.m_dwTotalBytes, nBefore - nGone);
            EXPECT_EQ(theKeeperApp.m_dwTotalBytes, SumOfItems());
            EXPECT_EQ(theKeeperApp.m_listClips.GetCount(), 3);
            EXPECT_EQ(StatusText(Status(), 2), TotalText(nBefore - nGone));
            EXPECT_EQ(StatusText(Status(), 1), "");
            EXPECT_EQ(ClipCount(), 6);

            Select(List(), {0, 1, 2});
            PostKey(List(), VK_BACK);
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 0);
            EXPECT_EQ(theKeeperApp.m_dwTotalBytes, 0u);
            EXPECT_EQ(copies.Live(), 0);  // every deleted clip gave its copies back
            EXPECT_EQ(StatusText(Status(), 2), "Total : 0.0 Ko");
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, ClicksShowTheSizeOfTheSelectionOfClipsOfSeveralKinds)
{
    theKeeperApp.m_bAutoName = 1;
    struct Sample {
        const char* title;
        SourceFormat format;
        int kind;
    };
    BITMAPINFOHEADER bih = {sizeof bih, 4, 4, 1, 24, BI_RGB, 4 * 12, 0, 0, 0, 0};
    Bytes dib(reinterpret_cast<BYTE*>(&bih), reinterpret_cast<BYTE*>(&bih) + sizeof bih);
    dib.resize(dib.size() + 4 * 12, 0x80);
    const Sample samples[] = {
        {"Bloc-notes", {CF_TEXT, TextBytes("Une ligne de texte")}, CK_TEXT},
        {"Paint", {CF_DIB, dib}, CK_IMAGE},
        {"Navigateur", {RegisterFormat("HTML Format"), TextBytes("<b>gras</b>")}, CK_HTML},
        {"Favoris", {RegisterFormat("UniformResourceLocator"), TextBytes("http://example.org/")}, CK_URL},
        {"WordPad", {RegisterFormat("Rich Text Format"), PatternBytes(3000, 7)}, CK_RTF},
    };
    std::string oneSelected, twoSelected, noneSelected;
    unsigned long long nOne = 0, nTwo = 0;
    ModalScript script;
    script
        .Then([&] {
            for (const Sample& s : samples) {
                SetWindowTextA(source.hwnd(), s.title);
                ASSERT_TRUE(source.Offer({s.format}));
                Command(ID_EDITION_COLLER);
            }
            ASSERT_EQ(ListView_GetItemCount(List()), 5);
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(ItemOf(List(), i).iImage, samples[i].kind) << i;
            Select(List(), {});
            PostClick(List(), ItemCentre(List(), 1));
        })
        .Then([&] {
            oneSelected = StatusText(Status(), 1);
            nOne = SizeOf(List(), 1);
            EXPECT_EQ(Selected(List()), (std::vector<int>{1}));
            PostClick(List(), ItemCentre(List(), 4), MK_CONTROL);
        })
        .Then([&] {
            twoSelected = StatusText(Status(), 1);
            nTwo = SizeOf(List(), 1) + SizeOf(List(), 4);
            EXPECT_EQ(Selected(List()), (std::vector<int>{1, 4}));
        })
        .Then([&] { SaveWindowPicture(Wnd(), "main_window_clips"); })
        .Then([&] { PostClick(List(), Background(List())); })
        .Then([&] { noneSelected = StatusText(Status(), 1); });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(oneSelected, FormatSelectionText(nOne).GetString());
    EXPECT_EQ(twoSelected, FormatSelectionText(nTwo).GetString());
    EXPECT_NE(oneSelected, twoSelected);
    EXPECT_EQ(noneSelected, "");
}

TEST_F(ClipCommands, RenamingStoresANonEmptyNameAndEscapeKeepsTheOldOne)
{
    theKeeperApp.m_bAutoName = 1;
    HWND hEdit = nullptr;
    auto startEditing = [&](const char* pszTyped) {
        Select(List(), {0});
        Command(ID_EDITION_RENOMMER);
        hEdit = ListView_GetEditControl(List());
        ASSERT_NE(hEdit, nullptr);
        EXPECT_TRUE(EditingLabel());
        EXPECT_EQ(SendMessageA(hEdit, EM_GETLIMITTEXT, 0, 0), 50);
        SetWindowTextA(hEdit, pszTyped);
    };
    ModalScript script;
    script.Then([&] { CaptureText("Ancien nom", "renomme-moi"); })
        .Then([&] { startEditing("Nouveau nom"); })
        .Then([&] { PostKey(hEdit, VK_RETURN); })
        .Then([&] {
            EXPECT_EQ(ListView_GetEditControl(List()), nullptr);
            EXPECT_FALSE(EditingLabel());
            EXPECT_EQ(ItemText(List(), 0), "Nouveau nom");
            EXPECT_EQ(std::string(ClipOf(List(), 0)->m_strName), "Nouveau nom");
            startEditing("Autre chose");
        })
        .Then([&] { PostKey(hEdit, VK_ESCAPE); })
        .Then([&] {
            EXPECT_FALSE(EditingLabel());
            EXPECT_EQ(ItemText(List(), 0), "Nouveau nom");
            EXPECT_EQ(std::string(ClipOf(List(), 0)->m_strName), "Nouveau nom");
            startEditing("");
        })
        .Then([&] { PostKey(hEdit, VK_RETURN); })
        .Then([&] {
            EXPECT_FALSE(EditingLabel());
            EXPECT_EQ(ItemText(List(), 0), "Nouveau nom");
            Command(ID_EDITION_COPIER);
            EXPECT_EQ(StatusText(Status(), 0), kOnClipboard + "Nouveau nom");
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, DoubleClickOnTheBackgroundCapturesAndOnAnItemRestoresIt)
{
    theKeeperApp.m_bAutoName = 1;
    std::vector<ReadFormat> first;
    ModalScript script;
    script
        .Then([&] {
            SetWindowTextA(source.hwnd(), "Source");
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("double")}}));
            first = StorableOnly(ReadClipboard(reader.hwnd()));
            const POINT pt = Background(List());
            PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        })
        .Then([&] {
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Source"}));
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("autre chose")}}));
            Select(List(), {0});
            const POINT pt = ItemCentre(List(), 0);
            PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 1);
            EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), first);
            EXPECT_EQ(StatusText(Status(), 0), kOnClipboard + "Source");
        });
    EXPECT_TRUE(RunMainWindow(script));
}

// Real input, window in front; after a right click the list's WM_CONTEXTMENU opens no second preview.
TEST_F(ClipCommands, EveryActionOnAClipHasAKeyAndARightClickOpensOnePreview)
{
    auto preview = [] { return FindWindowA("#32770", "Aper\xe7u : Texte"); };
    auto onePreview = [&] {
        EXPECT_EQ(WindowText(GetDlgItem(preview(), IDC_PREVIEW_EDIT)), "deux");
        PostMessageA(preview(), WM_CLOSE, 0, 0);
    };
    auto keys = [](std::vector<WORD> k) { return [k] { PressKeys(k); }; };
    // The caption's right click: the window menu, whatever Wine's language names its items.
    auto rightClickCaption = [&] {
        RECT rc;
        GetWindowRect(Wnd(), &rc);
        POINT pt{(rc.left + rc.right) / 2, rc.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
        ASSERT_EQ(SendMessageA(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTCAPTION);
        ScreenToClient(Wnd(), &pt);
        RightClickAt(Wnd(), pt);
    };
    auto windowMenu = [&] {
        const HWND hMenuWnd = FindWindowA("#32768", nullptr);
        ASSERT_TRUE(hMenuWnd != nullptr && IsWindowVisible(hMenuWnd));
        const auto hMenu = reinterpret_cast<HMENU>(SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0));
        for (UINT sc : {SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_CLOSE})
            EXPECT_NE(GetMenuState(hMenu, sc, MF_BYCOMMAND), static_cast<UINT>(-1)) << std::hex << sc;
        EndMenu();
    };
    auto formatList = [&] {
        const HWND hDialog = FindWindowA("#32770", "Contenu du Clipboard");
        ASSERT_NE(hDialog, nullptr);
        EXPECT_EQ(WindowText(GetDlgItem(hDialog, IDC_CLIPLIST)), "Formats");  // the list's name for a screen reader
        PostMessageA(hDialog, WM_CLOSE, 0, 0);
    };
    const struct {
        std::function<void()> act;
        std::function<void()> check;
    } cases[] = {
        {keys({VK_RETURN}), [&] { EXPECT_EQ(GetClipboardOwner(), Wnd()); }},  // put back
        {keys({VK_APPS}), onePreview},
        {keys({VK_SHIFT, VK_F10}), onePreview},
        {[&] { RightClickAt(List(), ItemCentre(List(), 1)); }, onePreview},
        {keys({VK_F2}), [&] { EXPECT_EQ(SendMessageA(ListView_GetEditControl(List()), EM_GETLIMITTEXT, 0, 0), 50); }},
        {keys({VK_CONTROL, 'A'}), [&] { EXPECT_EQ(StatusText(Status(), 1), "Taille : 8 octets"); }},  // both clips
        {[&] { PressKeys({VK_MENU, 'E'}), PressKeys({'F'}); }, formatList},
        {rightClickCaption, windowMenu},
    };
    ModalScript script;
    script.Then([&] { for (const char* psz : {"un", "deux"}) InsertClip(List(), {{CF_TEXT, TextBytes(psz)}}, false); });
    int nCase = 0;
    for (const auto& c : cases) {
        script
            .Then([&] {
                Select(List(), {1});
                SetForegroundWindow(Wnd());
                SetFocus(List());
                c.act();
            })
            .Then(c.check)
            .Then([&, n = nCase++] { EXPECT_EQ(preview(), nullptr) << "after case " << n; });
    }
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, AutoPasteSkipsExactlyOneChangeAfterTheOptionIsSwitched)
{
    ModalScript script;
    script
        .Then([&] {
            SetWindowTextA(source.hwnd(), "Source auto");
            Command(ID_OPTIONS_COLLAGEAUTOMATIQUE);
            ASSERT_EQ(theKeeperApp.m_bAutoPaste, 1);
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("un")}}));
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 0);
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("deux")}}));
        })
        .Then([&] {
            // Named automatically although Auto Name is off: no dialog.
            EXPECT_EQ(NamingDialog(), nullptr);
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Source auto"}));
            EXPECT_EQ(theKeeperApp.m_bAutoName, 0);
            EXPECT_EQ(StatusText(Status(), 2), TotalText(SizeOf(List(), 0)));

            // Off and on again with no change between: still one skipped.
            Command(ID_OPTIONS_COLLAGEAUTOMATIQUE);
            Command(ID_OPTIONS_COLLAGEAUTOMATIQUE);
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("trois")}}));
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 1);
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("quatre")}}));
        })
        .Then([&] { EXPECT_EQ(ListView_GetItemCount(List()), 2); });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ClipCommands, AutoPasteCapturesNothingWhileAClipIsRestored)
{
    theKeeperApp.m_bAutoPaste = 1;
    ModalScript script;
    script
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 0);  // an empty clipboard at start keeps nothing
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("restaure-moi")}}));
        })
        .Then([&] {
            ASSERT_EQ(ListView_GetItemCount(List()), 1);
            Select(List(), {0});
            Command(ID_EDITION_COPIER);
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 1);
            // A skip set before a restore is used up by the restore's notice.
            Command(ID_OPTIONS_COLLAGEAUTOMATIQUE);
            Command(ID_OPTIONS_COLLAGEAUTOMATIQUE);
            ASSERT_TRUE(SkipNextCapture());
            Command(ID_EDITION_COUPER);
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 0);
            EXPECT_FALSE(SkipNextCapture());
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("nouveau")}}));
        })
        .Then([&] { EXPECT_EQ(ListView_GetItemCount(List()), 1); });
    EXPECT_TRUE(RunMainWindow(script));
}

}  // namespace
