#include "tests/window/dialog_units.h"

#include <vector>

namespace window_test {
namespace {

// Appends the 16-bit units of a DLGTEMPLATEEX field.
void Put(std::vector<WORD>& out, WORD value) { out.push_back(value); }
void Put(std::vector<WORD>& out, DWORD value) {
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}
void Put(std::vector<WORD>& out, const std::wstring& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// An extended template without controls: only its font matters.
std::vector<WORD> FontOnlyTemplate(const std::wstring& face, WORD point_size) {
    std::vector<WORD> t;
    Put(t, WORD{1});       // dlgVer
    Put(t, WORD{0xFFFF});  // signature of an extended template
    Put(t, DWORD{0});      // helpID
    Put(t, DWORD{0});      // exStyle
    Put(t, DWORD{WS_POPUP | DS_SETFONT});
    Put(t, WORD{0});                                       // no controls
    for (int i = 0; i < 4; ++i) Put(t, WORD{0});           // x, y, cx, cy
    Put(t, WORD{0});                                       // no menu
    Put(t, WORD{0});                                       // standard class
    Put(t, std::wstring());                                // no caption
    Put(t, point_size);
    Put(t, WORD{FW_DONTCARE});
    Put(t, WORD{DEFAULT_CHARSET << 8});  // italic 0, charset in the high byte
    Put(t, face);
    return t;
}

INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

DialogUnits::DialogUnits(const std::wstring& face, WORD point_size) {
    const std::vector<WORD> t = FontOnlyTemplate(face, point_size);
    probe_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                       IgnoreAll, 0);
}

DialogUnits::~DialogUnits() {
    if (probe_) DestroyWindow(probe_);
}

PixelBox DialogUnits::ToPixels(int x, int y, int width, int height) const {
    // MapDialogRect scales left and right alike, so (x, y, width, height)
    // passed as a rectangle come back as pixels field by field.
    RECT r = {x, y, width, height};
    MapDialogRect(probe_, &r);
    return {r.left, r.top, r.right, r.bottom};
}

std::string ToString(const PixelBox& box) {
    return "(" + std::to_string(box.x) + ", " + std::to_string(box.y) + ", " +
           std::to_string(box.width) + " x " + std::to_string(box.height) + ")";
}

}  // namespace window_test
