// Paint contexts. BeginPaint's PAINTSTRUCT must reach the matching EndPaint,
// so it is kept per window between the two calls.
#include <map>

#include "fw/backend.h"

namespace {

std::map<HWND, PAINTSTRUCT>& OpenPaints() {
    static std::map<HWND, PAINTSTRUCT> paints;
    return paints;
}

}  // namespace

namespace fw {
namespace backend {

HDC BeginPaint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window, &paint);
    OpenPaints()[window] = paint;
    return dc;
}

void EndPaint(HWND window) {
    auto found = OpenPaints().find(window);
    if (found == OpenPaints().end()) return;
    ::EndPaint(window, &found->second);
    OpenPaints().erase(found);
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return ::DrawIcon(dc, x, y, icon); }

}  // namespace backend
}  // namespace fw
