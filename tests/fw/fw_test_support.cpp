#include "tests/fw/fw_test_support.h"

CFwTestApp theTestApp;

CFwTestApp::CFwTestApp()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
}

BEGIN_MESSAGE_MAP(CFwTestApp, CWinApp)
    ON_COMMAND(ID_FW_APP, OnAppCommand)
END_MESSAGE_MAP()

std::vector<BoxRecorder::Box> BoxRecorder::s_boxes;

BoxRecorder::BoxRecorder() : m_override(&SysApi::MessageBoxW, Record) { s_boxes.clear(); }

BoxRecorder::~BoxRecorder() { s_boxes.clear(); }

int WINAPI BoxRecorder::Record(HWND hOwner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    s_boxes.push_back({hOwner, text != nullptr ? text : L"", caption != nullptr ? caption : L"", type});
    return IDOK;
}

namespace {
std::string Describe(const MSG& msg, const char* who)
{
    return "pre " + std::to_string(msg.message) + " " + std::to_string(msg.wParam) + " " + who;
}
bool IsKey(const MSG& msg) { return msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST; }
}  // namespace

BOOL CLoggingEdit::PreTranslateMessage(MSG* pMsg)
{
    if (m_pLog != nullptr && IsKey(*pMsg))
        m_pLog->push_back(Describe(*pMsg, pMsg->hwnd == m_hWnd ? "edit" : "edit?"));
    return CEdit::PreTranslateMessage(pMsg);
}

CScriptedDlg::CScriptedDlg(CWnd* pParent, UINT nIDTemplate) : CDialog(nIDTemplate, pParent)
{
    m_wndEdit.m_pLog = &m_log;
}

void CScriptedDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FW_LIST, m_wndList);
    DDX_Control(pDX, IDC_FW_EDIT, m_wndEdit);
    DDX_Text(pDX, IDC_FW_EDIT, m_strText);
    DDV_MaxChars(pDX, m_strText, m_nMaxChars);
}

void CScriptedDlg::OnOK()
{
    m_log.push_back("OnOK");
    CDialog::OnOK();
}

void CScriptedDlg::OnCancel()
{
    m_log.push_back("OnCancel");
    CDialog::OnCancel();
}

BOOL CScriptedDlg::DestroyWindow()
{
    m_log.push_back("DestroyWindow");
    m_bWindowInDestroy = ::IsWindow(m_hWnd) != FALSE;
    m_bOwnerEnabledInDestroy = ::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER)) != FALSE;
    return CDialog::DestroyWindow();
}

BOOL CScriptedDlg::PreTranslateMessage(MSG* pMsg)
{
    if (IsKey(*pMsg)) {
        m_log.push_back(Describe(*pMsg, pMsg->hwnd == m_wndEdit.m_hWnd ? "dialog" : "dialog?"));
        if (m_swallow && m_swallow(*pMsg))
            return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

COwnerWnd::COwnerWnd()
{
    Attach(CreateWindowA("STATIC", "Propri\xe9taire", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr));
}
