#include "host/net/U_NetChat.h"

#include "host/engine/U_WindowTimer.h"
#include "host/net/U_NetTransferTexts.h"

#include "common/gbk.h"
#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <cstddef>
#include <cstdio>

namespace vantrel {

namespace {

using dvr::win::Utf8ToGbk;

} // namespace

std::string NowDateTimeText() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

TNetChat::TNetChat(TNetChatView& view, std::string ownIP, UINT timeoutMs,
                   std::function<std::string()> now)
    : view_(view), ownIP_(std::move(ownIP)), now_(std::move(now)),
      timer_(std::make_unique<TWindowTimer>(timeoutMs, [this] { TimerFired(); })) {
    client_.OnConnect = [this] {
        if (const auto c = client_.Connection()) c->SendText(chatText_);
    };
    client_.OnRead = [this] {
        const auto c = client_.Connection();
        if (!c || c->ReceiveText() != "OK") return;
        timer_->SetEnabled(false);
        Append(Utf8ToGbk("[To：") + chatHost_ + "]    " + chatText_);
        view_.SetHourglass(false);
        view_.SetWindowEnabled(true);
    };
    client_.OnError = [](int& code) { code = 0; };
    server_.OnClientRead = [this](const TMsgConnectionPtr& c) {
        // One message a connection, cut to its cap; whatever follows is read and dropped.
        std::string message = c->ReceiveText();
        if (message.empty() || c->Mark.exchange(1) != 0) return;
        if (message.size() > kMaxChatText) message.resize(dvr::GbkFitLength(message, kMaxChatText));
        if (c->SendText("OK") >= 1) {
            Append(Utf8ToGbk("[From：") + c->PeerAddress() + "]    " + message);
            view_.ShowWindow();
        }
    };
    server_.OnClientError = [](const TMsgConnectionPtr&, int& code) { code = 0; };
}

TNetChat::~TNetChat() {
    client_.Close();
    server_.Close();
}

bool TNetChat::Open(int port, std::string_view address) {
    return server_.Open(port, address);
}

void TNetChat::SendPressed(const std::string& address, int port, const std::string& nickname,
                           const std::string& text) {
    client_.Close();
    chatHost_ = address;
    if (chatHost_.empty()) return;
    chatText_ = BuildChatMessage(now_(), nickname.empty() ? ownIP_ : nickname, text);
    if (text.empty()) return;
    timer_->SetEnabled(true);
    view_.SetHourglass(true);
    view_.SetWindowEnabled(false);
    client_.Open(chatHost_, port); // a failure shows when the timer fires
}

void TNetChat::TimerFired() {
    client_.Close();
    Append(now_() + "   " + Utf8ToGbk("发送消息给") + "<" + chatHost_ + ">" + Utf8ToGbk("失败！"));
    timer_->SetEnabled(false);
    view_.SetHourglass(false);
    view_.SetWindowEnabled(true);
}

void TNetChat::Append(const std::string& line) {
    // A line of the display per text line, as a memo shows it.
    size_t start = 0;
    for (;;) {
        const size_t end = line.find("\r\n", start);
        lines_.push_back(
            line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
        if (start == line.size()) break;
    }
    if (lines_.size() > kMaxChatLines)
        lines_.erase(lines_.begin(), lines_.begin() + std::ptrdiff_t(lines_.size() - kMaxChatLines));
    view_.LinesChanged(lines_);
}

void TNetChat::ClearPressed() {
    lines_.clear();
    view_.LinesChanged(lines_);
}

void TNetChat::SaveTo(const std::string& fileName) {
    std::string bytes;
    for (const std::string& l : lines_)
        bytes.append(l).append("\r\n");
    dvr::win::File f(::CreateFileW(dvr::win::GbkToWide(fileName).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok =
        !fileName.empty() && f &&
        ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    view_.ShowMessage(Utf8ToGbk(ok ? "保存成功！" : "保存失败！"));
}

} // namespace vantrel
