// The program's entry. The one application object was constructed by static
// initialisation before this runs; the framework takes it from there.
#include "fw/afxwin.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    return app ? app->Run() : 0;
}
