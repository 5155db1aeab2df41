#include "tests/support/modal_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {
// The scripts running, innermost last, each with its timer.
std::vector<std::pair<UINT_PTR, ModalScript*>> g_running;
constexpr UINT kTickMs = 30;
constexpr int kWatchdogTicks = 300;  // about ten seconds past the last step
}

ModalScript& ModalScript::Then(Step step)
{
    m_steps.push_back({std::move(step), {}});
    return *this;
}

ModalScript& ModalScript::Await(std::function<bool()> ready)
{
    m_steps.push_back({{}, std::move(ready)});
    return *this;
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    // Only the innermost script moves on: an outer one waits in its step.
    if (g_running.empty() || g_running.back().first != idTimer)
        return;
    ModalScript* self = g_running.back().second;
    if (self->m_nNext < self->m_steps.size()) {
        const Entry entry = self->m_steps[self->m_nNext];
        if (!entry.ready) {
            // A step may run a nested modal loop; the ticks go on inside it.
            ++self->m_nNext;
            entry.step();
            return;
        }
        if (entry.ready()) {
            ++self->m_nNext;
            self->m_nIdleTicks = 0;
            return;
        }
        // A wait that never ends is ended by the watchdog too.
    }
    if (++self->m_nIdleTicks == kWatchdogTicks && !self->m_bWatchdogFired) {
        self->m_bWatchdogFired = true;
        self->m_endModal();
    }
}

bool ModalScript::IsTick(const MSG& msg)
{
    // By the timer's id: Wine may hand the procedure over as a handle of its own.
    return msg.message == WM_TIMER && msg.hwnd == nullptr &&
           std::any_of(g_running.begin(), g_running.end(), [&](const auto& r) { return r.first == msg.wParam; });
}

bool ModalScript::Run(const std::function<void()>& runModal, const std::function<void()>& endModal)
{
    m_endModal = endModal;
    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, Tick);
    g_running.emplace_back(timer, this);
    runModal();
    KillTimer(nullptr, timer);
    g_running.pop_back();
    return !m_bWatchdogFired && m_nNext == m_steps.size();
}

bool AnswerSentMessagesUntil(const std::function<bool()>& done, DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    while (!done()) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (ModalScript::IsTick(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool SaveWindowPicture(HWND hWnd, const std::string& name)
{
    const char* dir = std::getenv("TROVELLE_SCREENSHOTS");
    if (dir == nullptr || *dir == '\0')
        return false;
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    RECT rc;
    GetWindowRect(hWnd, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return false;

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    // A window larger than the screen (a dialog at 200 % on a small virtual
    // desktop) draws itself instead.
    RECT rcScreen;
    GetWindowRect(GetDesktopWindow(), &rcScreen);
    if (rc.left >= rcScreen.left && rc.top >= rcScreen.top && rc.right <= rcScreen.right && rc.bottom <= rcScreen.bottom)
        BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    else
        PrintWindow(hWnd, mem, 0);
    SelectObject(mem, old);
    GdiFlush();

    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + imageSize;
    const std::string path = std::string(dir) + "\\" + name + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr;
    if (ok) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, 1, imageSize, f);
        std::fclose(f);
    }
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}
