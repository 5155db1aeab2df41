#include "dialogs/help.h"

CString ProgramFolder(const char* pszModulePath)
{
    CString strPath(pszModulePath);
    const int nSlash = strPath.ReverseFind('\\');
    return nSlash >= 0 ? strPath.Left(nSlash) : strPath;
}

CString HelpFileParameter(const char* pszModulePath)
{
    return "\"" + ProgramFolder(pszModulePath) + "\\readme.txt\"";
}

CString EditorPath(const char* pszSystemFolder)
{
    CString strPath(pszSystemFolder);
    if (!strPath.IsEmpty() && strPath.GetString()[strPath.GetLength() - 1] == '\\')
        strPath = strPath.Left(strPath.GetLength() - 1);
    return strPath + "\\notepad.exe";
}
