// Test helpers for the real clipboard: windows that put formats on it (also
// with delayed rendering), read it back as another program would, and a way
// to make a single system call fail.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/sysapi.h"

using Bytes = std::vector<BYTE>;

// One format as a source program offers it.
struct SourceFormat {
    UINT id;
    Bytes bytes;
    enum Mode { Now, Delayed, Refused } mode = Now;
};

// One format as a reading program finds it.
struct ReadFormat {
    UINT id;
    bool bHasData;  // GetClipboardData gave a handle
    Bytes bytes;    // the block's bytes (an enhanced metafile's bits)
    bool operator==(const ReadFormat&) const = default;
};
void PrintTo(const ReadFormat& f, std::ostream* os);

// A hidden window on the test's thread that can own the clipboard and answers
// WM_RENDERFORMAT for the formats it was given as delayed.
class TestWindow {
public:
    explicit TestWindow(const char* pszTitle = "Source de test");
    ~TestWindow();
    HWND hwnd() const { return m_hWnd; }

    // Empties the clipboard and offers these formats as this window.
    bool Offer(const std::vector<SourceFormat>& formats);
    int RenderRequests() const { return m_nRenderRequests; }

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd = nullptr;
    std::map<UINT, SourceFormat> m_delayed;
    int m_nRenderRequests = 0;
};

HGLOBAL GlobalFromBytes(const Bytes& bytes);
Bytes TextBytes(const std::string& s);  // with its terminating NUL
Bytes PatternBytes(std::size_t n, unsigned seed);
UINT RegisterFormat(const char* pszName);
HENHMETAFILE MakeMetafile(int nShapes);
Bytes MetafileBits(HENHMETAFILE h);

// Every format on the clipboard in enumeration order, read from hReader.
std::vector<ReadFormat> ReadClipboard(HWND hReader);
// Only the formats a clip keeps.
std::vector<ReadFormat> StorableOnly(const std::vector<ReadFormat>& all);
bool EmptyTheClipboard(HWND hWnd);

// Replaces one entry of the system-call table for the life of the object.
template <typename Fn>
class SysOverride {
public:
    SysOverride(Fn SysApi::*pEntry, Fn replacement) : m_pEntry(pEntry), m_saved(Sys().*pEntry)
    {
        Sys().*pEntry = replacement;
    }
    ~SysOverride() { Sys().*m_pEntry = m_saved; }
    SysOverride(const SysOverride&) = delete;
    SysOverride& operator=(const SysOverride&) = delete;

private:
    Fn SysApi::*m_pEntry;
    Fn m_saved;
};

// Counts the private copies (VirtualAlloc blocks) that are made and not yet
// released while it lives.
class CopyCounter {
public:
    CopyCounter();
    int Live() const;

private:
    SysOverride<decltype(SysApi::VirtualAlloc)> m_alloc;
    SysOverride<decltype(SysApi::VirtualFree)> m_free;
};

// Base fixture: three windows (a source program, a reader, and the keeper
// that captures and restores), and an empty clipboard at start and end.
class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TestWindow source{"Bloc-notes de test"};
    TestWindow reader{"Lecteur"};
    TestWindow keeper{"Trovelle"};
};
