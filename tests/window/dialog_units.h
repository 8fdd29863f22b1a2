// Dialog units to pixels for a dialog with a given font, computed by the
// window system itself: a hidden dialog with only that font is created in
// this process and MapDialogRect is asked. (MapDialogRect on the program's
// own window cannot be used: it reads per-process dialog data.)
#pragma once

#include <windows.h>

#include <string>

namespace window_test {

struct PixelBox {
    LONG x, y, width, height;
    bool operator==(const PixelBox& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

class DialogUnits {
public:
    // `face` and `point_size` as in the template's FONT statement.
    DialogUnits(const std::wstring& face, WORD point_size);
    ~DialogUnits();
    DialogUnits(const DialogUnits&) = delete;
    DialogUnits& operator=(const DialogUnits&) = delete;

    bool ok() const { return probe_ != nullptr; }

    // Position and size in dialog units to pixels, each converted on its own
    // as the dialog manager does when it places a control.
    PixelBox ToPixels(int x, int y, int width, int height) const;

private:
    HWND probe_ = nullptr;
};

std::string ToString(const PixelBox& box);

}  // namespace window_test
