// The application: runs the main dialog modally, then ends.
#pragma once

#include "fw/afxwin.h"

class CToolApp : public CWinApp {
public:
    CToolApp();
    ~CToolApp() override;
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

extern CToolApp theApp;
