// The program on a system whose ANSI code page is not that of its texts: run
// by in_locale.sh with a Russian locale (code page 1251). Its own texts read
// back as UTF-16 as anywhere else, and what other programs wrote in the
// system's code page (a title, CF_TEXT, ANSI file names) shows as they meant.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "res/resource.h"
#include "tests/support/controls.h"
#include "tests/support/keeper_window.h"

namespace {

// "Привет" (hello) in code page 1251, and as it should read.
const char kHello1251[] = "\xcf\xf0\xe8\xe2\xe5\xf2";
const wchar_t kHello[] = L"\u041f\u0440\u0438\u0432\u0435\u0442";

class OtherCodePage : public KeeperWindowTest {};

TEST_F(OtherCodePage, OurTextsAndOtherProgramsTextsBothReadRight)
{
    std::printf("[ CODEPAGE ] GetACP() = %u\n", GetACP());
    ASSERT_EQ(GetACP(), 1251u) << "run with a Russian locale";
    SetWindowTextA(source.hwnd(), kHello1251);
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes(kHello1251)}}));

    BITMAPINFOHEADER bih = {sizeof bih, 2, 2, 1, 24, BI_RGB, 16, 0, 0, 0, 0};
    Bytes dib(reinterpret_cast<BYTE*>(&bih), reinterpret_cast<BYTE*>(&bih) + sizeof bih);
    dib.resize(dib.size() + 16, 0x80);
    Bytes drop(20, 0);  // a DROPFILES block of one ANSI name
    drop[0] = 20;
    const std::string name = std::string("C:\\") + kHello1251;
    drop.insert(drop.end(), name.begin(), name.end());
    drop.insert(drop.end(), 2, 0);
    const struct {
        Record record;
        std::wstring caption, text;  // the text is empty for a hidden edit
    } previews[] = {
        {{CF_TEXT, TextBytes(kHello1251)}, L"Aper\u00e7u : Texte", kHello},
        {{CF_DIB, dib}, L"Aper\u00e7u : Bitmap", L""},
        {{CF_HDROP, drop}, L"Aper\u00e7u : Fichiers", std::wstring(L"C:\\") + kHello + L"\r\n"},
    };

    ModalScript script;
    script.Then([&] {
        EXPECT_EQ(StatusTextW(Status(), 0), std::wstring(L"Dans le presse-papier : ") + kHello);
        EXPECT_EQ(StatusTextW(Status(), 2), L"Total : 0.0 Ko");
    });
    for (const auto& preview : previews) {
        script.Then([&] {
                  Select(List(), {});
                  InsertClip(List(), {preview.record}, true);
                  PostRightClick(Wnd());
              })
            .Await([&] { return IsWindowVisible(GetLastActivePopup(Wnd())) && GetLastActivePopup(Wnd()) != Wnd(); })
            .Then([&] {
                const HWND hDlg = GetLastActivePopup(Wnd());
                ASSERT_NE(hDlg, Wnd());
                const HWND hEdit = GetDlgItem(hDlg, IDC_PREVIEW_EDIT);
                EXPECT_EQ(CaptionW(hDlg), preview.caption);
                EXPECT_EQ(IsWindowVisible(hEdit) ? WindowTextW(hEdit) : L"", preview.text) << preview.caption;
                PostMessageA(hDlg, WM_CLOSE, 0, 0);
            });
    }
    EXPECT_TRUE(RunMainWindow(script));
}

}  // namespace
