#include "host/net/U_UDPReplyWindows.h"

namespace vantrel {

void TReplyWindowSet::SetWindow(ReplyWindow window, HWND handle, TReceiveArea* area) {
    handles_[size_t(window)] = handle;
    areas_[size_t(window)] = area;
}

void TReplyWindowSet::Post(ReplyWindow window, unsigned message, intptr_t wParam, intptr_t lParam) {
    if (HWND handle = handles_[size_t(window)].load())
        ::PostMessageW(handle, message, WPARAM(wParam), LPARAM(lParam));
}

std::vector<std::string> TReplyWindowSet::NetDogAddresses() {
    return NetDogRows ? NetDogRows() : std::vector<std::string>();
}

TReceiveArea* TReplyWindowSet::Area(ReplyWindow window) {
    return areas_[size_t(window)].load();
}

void TReplyWindowSet::StoreSettingsRecord(int kind, const uint8_t* data, size_t length) {
    if (SettingsRecordInto) SettingsRecordInto(kind, data, length);
}

} // namespace vantrel
