#include "host/ui/U_PtzMouse.h"

#include <algorithm>
#include <string>

namespace vantrel {

using namespace dvr::fw;

int PtzCursorAt(int x, int y, int width, int height) {
    if (x < 0 || y < 0 || x >= width || y >= height || width < 3 || height < 3) return 0;
    const int column = std::min(x / (width / 3), 2), row = std::min(y / (height / 3), 2);
    const int cell = column + 3 * row;
    if (cell == 4) return 0;
    return 2 * (cell < 4 ? cell : cell - 1) + 1;
}

int PtzTagFor(int cursor, bool rightButton) {
    if (cursor < 1 || cursor > 16) return -1;
    const int k = (cursor - 1) / 2; // 0 .. 7: up-left, up, up-right, left, right, down-left, down, down-right
    static const int kLeft[8] = {19, 12, 13, 18, 14, 17, 16, 15};
    static const int kRight[8] = {-1, 10, -1, 8, 9, -1, 11, -1};
    return rightButton ? kRight[k] : kLeft[k];
}

TPtzMouse::TPtzMouse(TPtzPanel& panel, std::function<void(int)> selectPane)
    : panel_(panel), selectPane_(std::move(selectPane)) {
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    for (int n = 1; n <= 8; ++n) {
        cursors_[size_t(2 * n - 1)] =
            ::LoadCursorW(module, (L"Cursor_Up_" + std::to_wstring(n)).c_str());
        cursors_[size_t(2 * n)] =
            ::LoadCursorW(module, (L"Cursor_Down_" + std::to_wstring(n)).c_str());
    }
}

void TPtzMouse::Show(int cursor) {
    cursor_ = cursor;
    HCURSOR c = cursor > 0 ? cursors_[size_t(cursor)] : nullptr;
    ::SetCursor(c ? c : ::LoadCursorW(nullptr, IDC_ARROW));
}

void TPtzMouse::MouseMove(int, TShiftState shift, int x, int y, int width, int height) {
    if (shift.Contains(TShiftStateItem::ssLeft) || shift.Contains(TShiftStateItem::ssRight))
        return;
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    Show(PtzCursorAt(x, y, width, height));
}

void TPtzMouse::MouseDown(int channel, TMouseButton button) {
    if (cursor_ < 1 || cursor_ % 2 == 0) return;
    Show(cursor_ + 1);
    if (selectPane_) selectPane_(channel);
    const int tag = PtzTagFor(cursor_, button == TMouseButton::mbRight);
    if (tag >= 0) panel_.Press(tag);
}

bool TPtzMouse::MouseUp(int channel, TMouseButton button) {
    if (cursor_ < 2 || cursor_ % 2 != 0) return false;
    const int down = cursor_;
    Show(down - 1);
    if (selectPane_) selectPane_(channel);
    const int tag = PtzTagFor(down, button == TMouseButton::mbRight);
    if (tag >= 0) panel_.Release(tag);
    return true;
}

void TPtzMouse::MouseLeave() {
    if (cursor_ >= 2 && cursor_ % 2 == 0) return;
    Show(0);
}

} // namespace vantrel
