#include "host/net/T_ThreadWaveIn.h"

#include "host/net/U_NetTalkList.h"
#include "sim/g729/G729Dll.h"

namespace vantrel {

TThreadWaveIn::TThreadWaveIn(TWaveIn& waveIn) : waveIn_(waveIn) {
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, &threadId_));
    if (thread_) ::WaitForSingleObject(ready_.get(), INFINITE);
}

void TThreadWaveIn::Stop() {
    if (!thread_) return;
    ::PostThreadMessageW(threadId_, WM_THREADQUIT, 0, 0);
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI TThreadWaveIn::ThreadMain(LPVOID self) {
    static_cast<TThreadWaveIn*>(self)->Execute();
    return 0;
}

void TThreadWaveIn::SendBlock(const uint8_t* pcm, int length) {
    TVoiceSender* sender = sender_;
    if (!sender || length != static_cast<int>(kVoicePcmBytes)) return;
    uint8_t coded[kVoicePcmBytes];
    int codedLength = 0;
    if (G729Encode(pcm, length, coded, &codedLength) != 0 || codedLength <= 0 ||
        codedLength > static_cast<int>(sizeof(coded)))
        return;
    sender->SendVoice(coded, codedLength);
    ++blocksSent_;
}

void TThreadWaveIn::Execute() {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // the queue exists now
    ::SetEvent(ready_.get());
    uint8_t block[kVoicePcmBytes];
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_THREADQUIT) break;
        if (msg.message != MM_WIM_DATA) continue;
        // Errors inside one block are swallowed; the loop goes on.
        try {
            if (waveIn_.TakeBlock(reinterpret_cast<WAVEHDR*>(msg.lParam), block))
                SendBlock(block, static_cast<int>(kVoicePcmBytes));
        } catch (...) {
        }
    }
}

} // namespace vantrel
