// The voice broadcast window: the address list, the broadcast and recording commands, and the
// receiver that decodes every datagram on the voice port and plays it.
#pragma once

#include "host/net/T_ThreadWaveIn.h"
#include "host/net/T_ThreadWaveOut.h"
#include "host/net/U_NetTalkList.h"
#include "host/net/U_SocketNotify.h"

#include "common/win/handles.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vantrel {

class TNetTalkForm : public TVoiceSender {
public:
    // Initialises the codec, reads the list from the registry and starts receiving on
    // `receivePort`. `defaultPort` stands in for a port column that is not a number.
    TNetTalkForm(TWaveIn& waveIn, TWaveOut& waveOut, TThreadWaveIn& threadWaveIn,
                 TThreadWaveOut& threadWaveOut, uint16_t defaultPort,
                 uint16_t receivePort = kNetTalkPort);
    // Stops receiving, closes both devices and stops both threads; the window goes before
    // the devices and threads it was given.
    ~TNetTalkForm() override;
    TNetTalkForm(const TNetTalkForm&) = delete;
    TNetTalkForm& operator=(const TNetTalkForm&) = delete;

    bool Receiving() const { return server_.get() != INVALID_SOCKET; }

    // lv_AddrList: a copy, and edits of the check boxes and the selection.
    std::vector<NetTalkRow> Rows();
    void SetChecked(int row, bool checked);
    std::set<int> Selected;

    // The edit panel.
    bool pn_EditVisible = false;
    std::string ed_Name, ed_Addr;
    int se_UDPNetTalkPort = kNetTalkPort;
    // Enabled states of the list and buttons.
    bool ListEnabled = true, BroadcastEnabled = true, StopEnabled = true, AddEnabled = true,
         DeleteEnabled = true, StartRecordEnabled = true, CloseRecordEnabled = true;

    // The window's message boxes (GBK texts).
    std::function<void(const std::string&)> ShowMessage;

    void bt_BroadcastClick();   // 广播
    void bt_StopClick();        // 停止
    void bt_StartRecordClick(); // 开始录音
    void bt_CloseRecordClick(); // 关闭录音
    void bt_AddClick();         // 添加
    void bt_OKClick();          // 确定
    void bt_CancelClick();      // 取消
    void bt_DeleteClick();      // 删除
    void bt_SaveClick();        // 保存

    // From the capture thread: the coded block to every checked row.
    void SendVoice(const uint8_t* data, int length) override;

    int DatagramsReceived() const { return datagramsReceived_; }
    int DatagramsDecoded() const { return datagramsDecoded_; }

private:
    void OnSocket(SOCKET socket, WORD event, WORD error);
    void Receive();
    void SetEditing(bool editing);
    void Message(const char* utf8);

    TWaveIn& waveIn_;
    TWaveOut& waveOut_;
    TThreadWaveIn& threadWaveIn_;
    TThreadWaveOut& threadWaveOut_;
    uint16_t defaultPort_;
    WAVEFORMATEX format_;
    bool wsaStarted_ = false;
    TSocketNotifyWindow notify_;
    dvr::win::Socket server_; // IdUDPServer
    dvr::win::Socket client_; // IdUDPClient
    std::mutex rowsLock_;
    std::vector<NetTalkRow> rows_;
    std::atomic<int> datagramsReceived_{0};
    std::atomic<int> datagramsDecoded_{0};
};

} // namespace vantrel
