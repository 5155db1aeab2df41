// One stored clipboard snapshot: every storable format's bytes, in the order
// the clipboard listed them, with the kind and name they give the clip.
#pragma once

#include <windows.h>

#include <string>

#include "clips/clipformat.h"
#include "base/cstring.h"

class CClip {
public:
    CClip();
    virtual ~CClip();
    CClip(const CClip&) = delete;
    CClip& operator=(const CClip&) = delete;

    // Appends a record, lets it take part in classification and counts its
    // bytes.
    void AddFormat(const void* pData, DWORD dwSize, UINT nFormat);
    // The same for bytes already written into a record's own pages (see
    // CClipFormat::Adopt): no second copy.
    void AdoptFormat(void* pPages, DWORD dwSize, UINT nFormat);
    void Classify(UINT nFormat);
    static bool IsSkippedFormat(UINT nFormat);

    // What a capture found, for a caller that tells its failures apart: only
    // a clipboard that another program held open is worth another try.
    enum class Outcome {
        Captured,
        Held,           // could not be opened
        Private,        // marked as private by its program (see below)
        Empty,          // nothing storable on it
        ClosedUnderUs,  // closed by another while being read
    };
    struct CaptureInfo {
        Outcome outcome = Outcome::Held;
        // The clipboard's sequence number and owner as they were while it was
        // read, so that what the caller makes of the owner (a name) belongs to
        // these bytes and no later copy.
        DWORD dwSequence = 0;
        HWND hOwner = nullptr;
    };
    // Fills this fresh clip from the clipboard, in one open that is tried
    // once. False when the clipboard could not be opened or held nothing
    // storable, and when it was closed under the capture: a clip is whole or
    // not at all. pInfo receives what the capture found.
    // With bRefusePrivate, a clipboard marked as private (see
    // IsClipboardMarkedPrivate) gives no clip: the marks are read under the
    // capture's own open, before and after the formats, and the clipboard
    // must keep one sequence number throughout, so that what was checked is
    // what is kept.
    bool CaptureFromClipboard(HWND hWndOwner, CaptureInfo* pInfo = nullptr, bool bRefusePrivate = false);
    // Puts every stored format back on the clipboard. The clip is unchanged.
    bool RestoreToClipboard(HWND hWndOwner) const;
    // True when every record of this clip equals a record of the other, with
    // the same format and bytes, in the same order: what is left of the other
    // clip's clipboard once formats were dropped from it.
    bool IsRemainderOf(const CClip& whole) const;
    // True when both clips hold the same records one for one: formats, sizes
    // and bytes, in the same order.
    bool HasSameRecords(const CClip& other) const;

    int m_nKind;
    CString m_strName;
    // 64-bit although the name says DWORD: a clip of several records can
    // hold more than 4 GiB, and its total must not wrap.
    unsigned long long m_dwTotalSize;
    CClipFormat* m_pFirstFormat;
    bool m_bClassified;

private:
    bool CaptureFormat(UINT nFormat);
    void AddRecord(CClipFormat* pRecord);

    // Last record of the chain, so appending does not walk the whole chain.
    CClipFormat* m_pLastFormat;
};

// True while the clipboard is open by a window of the calling thread: one of
// our own operations is under way, and a change notice that arrives now has
// come from inside it (a source rendering a format, a viewer passing a notice
// on late).
bool IsClipboardOpenHere();

// The clipboard's source asks keepers to leave it alone (a password, say):
// "ExcludeClipboardContentFromMonitorProcessing" or "Clipboard Viewer
// Ignore" by their presence, "CanIncludeInClipboardHistory" by a DWORD 0.
// Read with the clipboard open; a history mark that cannot be read as a
// DWORD counts as a 0.
bool IsClipboardMarkedPrivate();

// The registered name of a format as classification reads it, in UTF-8: at
// most 149 characters, empty for a format without one.
const std::string& RegisteredFormatName(UINT nFormat);

// Formats whose clipboard data is an enhanced-metafile handle rather than a
// memory block: their bytes are kept through GetEnhMetaFileBits and put back
// as a new metafile.
bool IsEnhMetaFileFormat(UINT nFormat);
// Formats whose data is, or holds, another GDI handle: never read as memory.
bool IsGdiHandleFormat(UINT nFormat);
