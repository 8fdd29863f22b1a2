// Paint contexts: the paint context object holds the PAINTSTRUCT between
// BeginPaint and EndPaint.
#include "fw/backend.h"

namespace fw {
namespace backend {

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) { return ::BeginPaint(window, paint); }

void EndPaint(HWND window, const PAINTSTRUCT* paint) { ::EndPaint(window, paint); }

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return ::DrawIcon(dc, x, y, icon); }

}  // namespace backend
}  // namespace fw
