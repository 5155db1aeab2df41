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

BoxRecorder::BoxRecorder() : m_override(&SysApi::MessageBoxA, Record) { s_boxes.clear(); }

BoxRecorder::~BoxRecorder() { s_boxes.clear(); }

int WINAPI BoxRecorder::Record(HWND hOwner, LPCSTR text, LPCSTR caption, UINT type)
{
    s_boxes.push_back({hOwner, text != nullptr ? text : "", caption != nullptr ? caption : "", type});
    return IDOK;
}

namespace {
std::string Describe(const MSG& msg, const char* who)
{
    return "pre " + std::to_string(msg.message) + " " + std::to_string(msg.wParam) + " " + who;
}
bool IsKey(const MSG& msg) { return msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST; }
constexpr UINT_PTR kScriptTimer = 1;
constexpr int kWatchdogTicks = 250;  // about five seconds past the last step
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

BEGIN_MESSAGE_MAP(CScriptedDlg, CDialog)
    ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

CScriptedDlg& CScriptedDlg::Then(Step step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

BOOL CScriptedDlg::OnInitDialog()
{
    const BOOL bResult = CDialog::OnInitDialog();
    if (!m_steps.empty())
        ::SetTimer(m_hWnd, kScriptTimer, 20, nullptr);
    return bResult;
}

void CScriptedDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FW_LIST, m_wndList);
    DDX_Control(pDX, IDC_FW_EDIT, m_wndEdit);
    DDX_Text(pDX, IDC_FW_EDIT, m_strText);
    DDV_MaxChars(pDX, m_strText, m_nMaxChars);
}

LRESULT CScriptedDlg::OnTimer(WPARAM, LPARAM)
{
    // A step may run a nested modal loop, inside which the ticks go on.
    if (m_bInStep)
        return 0;
    if (m_nNext < m_steps.size()) {
        m_bInStep = true;
        const Step step = m_steps[m_nNext++];
        step();
        m_bInStep = false;
    } else if (++m_nIdleTicks == kWatchdogTicks) {
        m_bWatchdogFired = true;
        EndDialog(-2);
    }
    return 0;
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

void ProcessPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
