#include "host/net/T_ThreadRemotePlayExtractFileInfo.h"

#include <thread>

namespace vantrel {

void TThreadRemotePlayExtractFileInfo::Create(TRemoteReplayForm& form, std::atomic<int>& running) {
    ++running;
    std::thread([&form, &running] {
        const HWND window = form.MessageWindow();
        ::PostMessageW(window, WM_FILEINFOPARSED, 0, 0);
        FileInfoParser parser([&form](const RemoteFileEntry& e) { form.PostEntry(e); });
        std::string text;
        for (;;) {
            if (form.TakeFileInfoText(text)) {
                parser.Feed(text);
                continue;
            }
            if (!form.SearchOpen()) {
                // Whatever came with the close is parsed too.
                if (form.TakeFileInfoText(text)) parser.Feed(text);
                break;
            }
            ::Sleep(5);
        }
        ::PostMessageW(window, WM_FILEINFOPARSED, 100, 0);
        --running;
    }).detach();
}

} // namespace vantrel
