// The workbench window's application: registers the common controls its
// template names, runs the window modally, then ends.
#include "fw/afxwin.h"
#include "fw/win32/controls.h"
#include "i18n/translate.h"
#include "workbench_window/workbench_window.h"

class CWorkbenchApp : public CWinApp {
public:
    BOOL InitInstance() override {
        // The commands' notes and messages in the language of the user's
        // Windows, as its labels are: Chinese on a Chinese system.
        i18n::SetLanguage(PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE ? i18n::Language::kChinese
                                                                                       : i18n::Language::kEnglish);
        AfxInitCommonControls();
        CWorkbenchWindow window;
        m_pMainWnd = &window;
        window.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

CWorkbenchApp theApp;
