#include "host/net/T_ThreadSendFile.h"

#include <thread>
#include <vector>

namespace vantrel {

std::shared_ptr<TThreadSendFile> TThreadSendFile::Create(HANDLE file, TMsgConnectionPtr connection,
                                                         const std::atomic<int32_t>& transferSize,
                                                         HWND window) {
    std::shared_ptr<TThreadSendFile> self(new TThreadSendFile);
    std::thread([self, file, connection = std::move(connection), &transferSize, window] {
        std::vector<char> chunk(4096);
        while (!self->stop_) {
            DWORD got = 0;
            if (!::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
                got = 0;
            self->bytesRead_ += got;
            DWORD sent = 0;
            while (sent < got && !self->stop_) {
                const int n =
                    connection->SendBuf(chunk.data() + sent, static_cast<int>(got - sent));
                if (n > 0) {
                    sent += static_cast<DWORD>(n);
                    continue;
                }
                // A connection that has gone ends the sending instead of retrying for ever.
                if (!connection->Connected()) self->stop_ = true;
                ::Sleep(5);
            }
            if (self->stop_) break;
            ::PostMessageW(window, WM_FILESENDPROGRESS, got, 0);
            ::Sleep(2);
            if (self->bytesRead_ >= transferSize.load() || got == 0) break;
        }
        ::CloseHandle(file);
        self->ended_ = true;
    }).detach();
    return self;
}

} // namespace vantrel
