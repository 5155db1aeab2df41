#include "dialogs/help.h"

CString HelpFileParameter(const char* pszModulePath)
{
    CString strPath(pszModulePath);
    const int nSlash = strPath.ReverseFind('\\');
    if (nSlash >= 0)
        strPath = strPath.Left(nSlash);
    strPath += "\\readme.txt";
    return strPath;
}
