#include "clips/clip.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>

#include "clips/clipkind.h"
#include "base/sysapi.h"

namespace {

// The clipboard stays open only inside one operation and is closed on every
// path that opened it.
class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND hWnd) : m_bOpen(Sys().OpenClipboard(hWnd) != FALSE) {}
    ~ClipboardOpen()
    {
        if (m_bOpen)
            Sys().CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
    explicit operator bool() const { return m_bOpen; }
    // The clipboard was closed by someone else: nothing to close any more.
    void Forget() { m_bOpen = false; }

private:
    bool m_bOpen;
};

UINT NextStorableFormat(UINT nFormat)
{
    do
        nFormat = Sys().EnumClipboardFormats(nFormat);
    while (nFormat != 0 && CClip::IsSkippedFormat(nFormat));
    return nFormat;
}

// A fresh fixed global block holding a copy of the bytes, or null.
HGLOBAL CopyToGlobal(const void* pData, DWORD dwSize)
{
    HGLOBAL h = Sys().GlobalAlloc(GMEM_DDESHARE, dwSize);
    if (h == nullptr)
        return nullptr;
    void* p = Sys().GlobalLock(h);
    if (p == nullptr) {
        Sys().GlobalFree(h);
        return nullptr;
    }
    std::memcpy(p, pData, dwSize);
    Sys().GlobalUnlock(h);
    return h;
}

}  // namespace

bool IsEnhMetaFileFormat(UINT nFormat)
{
    return nFormat == CF_ENHMETAFILE || nFormat == CF_DSPENHMETAFILE;
}

bool IsGdiHandleFormat(UINT nFormat)
{
    // CF_DSPBITMAP is a bitmap handle; CF_DSPMETAFILEPICT's block holds a
    // metafile handle that would be stale once the owner frees it.
    return IsEnhMetaFileFormat(nFormat) || nFormat == CF_DSPBITMAP ||
           nFormat == CF_DSPMETAFILEPICT || nFormat == CF_BITMAP ||
           nFormat == CF_METAFILEPICT || nFormat == CF_PALETTE ||
           (nFormat >= CF_GDIOBJFIRST && nFormat <= CF_GDIOBJLAST);
}

CClip::CClip()
    : m_nKind(CK_OTHER), m_dwTotalSize(0), m_pFirstFormat(nullptr), m_bClassified(false),
      m_pLastFormat(nullptr)
{
}

CClip::~CClip() { delete m_pFirstFormat; }

void CClip::AddFormat(const void* pData, DWORD dwSize, UINT nFormat)
{
    AddRecord(new CClipFormat(pData, dwSize, nFormat));
}

void CClip::AdoptFormat(void* pPages, DWORD dwSize, UINT nFormat)
{
    AddRecord(CClipFormat::Adopt(pPages, dwSize, nFormat));
}

void CClip::AddRecord(CClipFormat* pRecord)
{
    if (m_pFirstFormat == nullptr)
        m_pLastFormat = m_pFirstFormat = pRecord;
    else
        m_pLastFormat = m_pLastFormat->Append(pRecord);
    Classify(pRecord->m_nFormat);
    // Count what the record holds: a copy that could not be made adds nothing.
    m_dwTotalSize += pRecord->m_dwSize;
}

bool IsClipboardOpenHere()
{
    const HWND hOpen = Sys().GetOpenClipboardWindow();
    return hOpen != nullptr && ::GetWindowThreadProcessId(hOpen, nullptr) == ::GetCurrentThreadId();
}

void CClip::Classify(UINT nFormat)
{
    if (m_bClassified)
        return;
    const std::string& name = RegisteredFormatName(nFormat);
    const KindStep step = NextClipKind(m_nKind, nFormat, name.data(), name.size());
    if (step.bSetsKind) {
        m_nKind = step.nKind;
        m_strName = ClipKindLabel(step.nKind);
    }
    if (step.bClassified)
        m_bClassified = true;
}

const std::string& RegisteredFormatName(UINT nFormat)
{
    // Only ids from 0xC000 up are registered; the others have no name. A
    // registered id keeps its name for the whole session, and asking the
    // system costs a round trip per format, so each name is asked once.
    static const std::string kNone;
    static std::unordered_map<UINT, std::string> cache;
    if (nFormat < 0xC000)
        return kNone;
    auto it = cache.find(nFormat);
    if (it != cache.end())
        return it->second;

    const CString name = SysClipboardFormatName(nFormat, static_cast<int>(CLIP_NAME_BUFFER) - 1);
    if (name.IsEmpty())
        return kNone;  // not registered (yet): ask again next time
    return cache.emplace(nFormat, std::string(name.GetString(), static_cast<std::size_t>(name.GetLength()))).first->second;
}

bool CClip::IsSkippedFormat(UINT nFormat)
{
    switch (nFormat) {
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_OEMTEXT:
    case CF_PALETTE:
    case CF_LOCALE:
    case CF_OWNERDISPLAY:
        return true;
    default:
        return nFormat >= CF_PRIVATEFIRST && nFormat <= CF_GDIOBJLAST;
    }
}

// Stores one format, or leaves it out.
bool CClip::CaptureFormat(UINT nFormat)
{
    HANDLE h = Sys().GetClipboardData(nFormat);
    if (h == nullptr) {
        AddFormat(nullptr, 0, nFormat);
        return true;
    }

    if (IsEnhMetaFileFormat(nFormat)) {
        HENHMETAFILE hEmf = static_cast<HENHMETAFILE>(h);
        const UINT nBytes = Sys().GetEnhMetaFileBits(hEmf, 0, nullptr);
        if (nBytes == 0)
            return false;
        // Written straight into the record's pages. Pages that cannot be had
        // make a record without data, as for any other copy.
        void* pPages = Sys().VirtualAlloc(nullptr, nBytes, MEM_COMMIT, PAGE_READWRITE);
        if (pPages != nullptr && Sys().GetEnhMetaFileBits(hEmf, nBytes, static_cast<BYTE*>(pPages)) != nBytes) {
            Sys().VirtualFree(pPages, 0, MEM_RELEASE);
            return false;
        }
        AdoptFormat(pPages, nBytes, nFormat);
        return true;
    }
    if (IsGdiHandleFormat(nFormat))
        return false;  // a handle value is not data

    const SIZE_T size = Sys().GlobalSize(h);
    if (size == 0) {
        // Nothing to copy; the format is kept as announced.
        AddFormat(nullptr, 0, nFormat);
        return true;
    }
    if (size > UINT32_MAX)
        return false;  // a size that does not fit is never truncated
    const void* p = Sys().GlobalLock(h);
    if (p == nullptr)
        return false;
    AddFormat(p, static_cast<DWORD>(size), nFormat);
    Sys().GlobalUnlock(h);
    return true;
}

bool IsClipboardMarkedPrivate()
{
    static const UINT cfExclude = ::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    static const UINT cfIgnore = ::RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    static const UINT cfHistory = ::RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    if (Sys().IsClipboardFormatAvailable(cfExclude) || Sys().IsClipboardFormatAvailable(cfIgnore))
        return true;
    if (!Sys().IsClipboardFormatAvailable(cfHistory))
        return false;
    // Only a DWORD 0 keeps it out of the history. A mark announced but not
    // readable as a DWORD may be that 0: the copy is left alone.
    const HANDLE hData = Sys().GetClipboardData(cfHistory);
    if (hData == nullptr || Sys().GlobalSize(hData) < sizeof(DWORD))
        return true;
    const void* pData = Sys().GlobalLock(hData);
    if (pData == nullptr)
        return true;
    DWORD dwValue = 0;
    std::memcpy(&dwValue, pData, sizeof dwValue);
    Sys().GlobalUnlock(hData);
    return dwValue == 0;
}

bool CClip::CaptureFromClipboard(HWND hWndOwner, CaptureInfo* pInfo, bool bRefusePrivate)
{
    CaptureInfo info;
    ClipboardOpen clipboard(hWndOwner);
    const Outcome outcome = [&] {
        if (!clipboard)
            return Outcome::Held;
        const DWORD dwAtOpen = ::GetClipboardSequenceNumber();
        // Checked before anything is read: a private copy is not even asked
        // to render.
        if (bRefusePrivate && IsClipboardMarkedPrivate())
            return Outcome::Private;
        UINT f = NextStorableFormat(0);
        if (f == 0)
            return Outcome::Empty;
        for (; f != 0; f = NextStorableFormat(f))
            CaptureFormat(f);
        // Asking for the data may make the source render it, which lets
        // messages in; if one of them closed the clipboard under us, what was
        // read after it is not the clipboard's: the clip is whole or not at all.
        if (Sys().GetOpenClipboardWindow() != hWndOwner) {
            clipboard.Forget();  // no longer ours to close
            return Outcome::ClosedUnderUs;
        }
        // Read while the clipboard is still open: no other program can change
        // it in between, and formats rendered on request are counted in.
        info.dwSequence = ::GetClipboardSequenceNumber();
        info.hOwner = ::GetClipboardOwner();
        // A source that renders on request may add a mark as it does;
        // rendering leaves the sequence number as it was, any other change
        // moves it.
        if (bRefusePrivate && (info.dwSequence != dwAtOpen || IsClipboardMarkedPrivate()))
            return Outcome::Private;
        return Outcome::Captured;
    }();
    info.outcome = outcome;
    if (pInfo != nullptr)
        *pInfo = info;
    return outcome == Outcome::Captured;
}

bool CClip::IsRemainderOf(const CClip& whole) const
{
    const CClipFormat* pWhole = whole.m_pFirstFormat;
    for (const CClipFormat* pPart = m_pFirstFormat; pPart != nullptr; pPart = pPart->m_pNext) {
        while (pWhole != nullptr && pWhole->m_nFormat != pPart->m_nFormat)
            pWhole = pWhole->m_pNext;
        if (pWhole == nullptr || pWhole->m_dwSize != pPart->m_dwSize ||
            (pPart->m_dwSize != 0 && std::memcmp(pWhole->m_pData, pPart->m_pData, pPart->m_dwSize) != 0))
            return false;
        pWhole = pWhole->m_pNext;
    }
    return true;
}

bool CClip::HasSameRecords(const CClip& other) const
{
    const CClipFormat* pOther = other.m_pFirstFormat;
    for (const CClipFormat* p = m_pFirstFormat; p != nullptr; p = p->m_pNext, pOther = pOther->m_pNext) {
        // Bytes are compared only once formats and sizes agree.
        if (pOther == nullptr || p->m_nFormat != pOther->m_nFormat || p->m_dwSize != pOther->m_dwSize ||
            (p->m_pData == nullptr) != (pOther->m_pData == nullptr) ||
            (p->m_pData != nullptr && std::memcmp(p->m_pData, pOther->m_pData, p->m_dwSize) != 0))
            return false;
    }
    return pOther == nullptr;
}

bool CClip::RestoreToClipboard(HWND hWndOwner) const
{
    // An empty clip has nothing to give: the clipboard keeps what it holds.
    if (m_pFirstFormat == nullptr)
        return false;
    ClipboardOpen clipboard(hWndOwner);
    if (!clipboard)
        return false;
    Sys().EmptyClipboard();
    for (const CClipFormat* pFormat = m_pFirstFormat; pFormat != nullptr; pFormat = pFormat->m_pNext) {
        HANDLE h = nullptr;
        if (pFormat->m_pData != nullptr) {
            if (IsEnhMetaFileFormat(pFormat->m_nFormat)) {
                h = Sys().SetEnhMetaFileBits(pFormat->m_dwSize, static_cast<const BYTE*>(pFormat->m_pData));
            } else {
                h = CopyToGlobal(pFormat->m_pData, pFormat->m_dwSize);
            }
            if (h == nullptr)
                return false;
        }
        if (Sys().SetClipboardData(pFormat->m_nFormat, h) == nullptr && h != nullptr) {
            // Refused: the block is still ours.
            if (IsEnhMetaFileFormat(pFormat->m_nFormat))
                DeleteEnhMetaFile(static_cast<HENHMETAFILE>(h));
            else
                Sys().GlobalFree(h);
        }
    }
    return true;
}
