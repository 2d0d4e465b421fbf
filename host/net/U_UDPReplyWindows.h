// The reply reader's destinations as the host program binds them: each waiting window's
// handle and receive area, and the calls into the windows that take rows, days and settings
// records. Windows register as they are created; what is not registered is skipped.
#pragma once

#include "host/net/U_UDPReplyRouter.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>

namespace vantrel {

class TReplyWindowSet : public TUDPReplyWindows {
public:
    static constexpr size_t kWindows = size_t(ReplyWindow::AlarmList) + 1;

    // On the user-interface thread, before replies are expected.
    void SetWindow(ReplyWindow window, HWND handle, TReceiveArea* area = nullptr);

    // The inspector's row addresses (any thread); the settings dialog's working copy (the
    // reader's thread); the work-log window's flag, status, rows and day tree (user-interface
    // thread).
    std::function<std::vector<std::string>()> NetDogRows;
    std::function<void(int kind, const uint8_t* data, size_t length)> SettingsRecordInto;
    std::function<bool()> WorkLogGaveUp;
    std::function<void()> WorkLogStatusClear;
    std::function<void(const TWorkLogRecord&)> WorkLogRowAdd;
    std::function<void(int, const std::vector<std::pair<std::string, int>>&)> WorkLogDaysFill;

    void Post(ReplyWindow window, unsigned message, intptr_t wParam, intptr_t lParam) override;
    std::vector<std::string> NetDogAddresses() override;
    TReceiveArea* Area(ReplyWindow window) override;
    void StoreSettingsRecord(int kind, const uint8_t* data, size_t length) override;
    bool WorkLogTimedOut() override { return WorkLogGaveUp ? WorkLogGaveUp() : false; }
    void ClearWorkLogStatus() override {
        if (WorkLogStatusClear) WorkLogStatusClear();
    }
    void AddWorkLogRow(const TWorkLogRecord& record) override {
        if (WorkLogRowAdd) WorkLogRowAdd(record);
    }
    void FillWorkLogDays(int total, const std::vector<std::pair<std::string, int>>& days) override {
        if (WorkLogDaysFill) WorkLogDaysFill(total, days);
    }

private:
    std::array<std::atomic<HWND>, kWindows> handles_{};
    std::array<std::atomic<TReceiveArea*>, kWindows> areas_{};
};

} // namespace vantrel
