#include "host/net/F_NetChat.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};
using ChatPtr = std::unique_ptr<TNetChatForm, FormDeleter>;

TEST(NetChatForm, AMessageTypedAndSentShowsInBothWindows) {
    ChatPtr a(new TNetChatForm(nullptr, "10.1.2.3", 0, "127.0.0.1"));
    ChatPtr b(new TNetChatForm(nullptr, "10.9.9.9", 0, "127.0.0.1"));
    std::vector<std::string> messages;
    a->MessageBox = [&](const std::string& t) { messages.push_back(t); };
    a->SetHosts({"127.0.0.1"}, [&](const std::string&) { return b->Chat().Port(); });
    EXPECT_EQ(a->cb_Addr->Caption(), "127.0.0.1");
    EXPECT_EQ(a->se_TCPChatRoomPort->Caption(), std::to_string(b->Chat().Port()));
    a->ed_Name->SetText("Desk");
    a->mm_SendChatMsg->SetText("hello");
    a->bt_SendClick(a->bt_Send);
    ASSERT_TRUE(PumpMessagesUntil(
        [&] {
            return b->mm_ShowChatMsg->Lines()->Count() == 2 &&
                   a->mm_ShowChatMsg->Lines()->Count() == 2;
        },
        10000));
    EXPECT_EQ(b->mm_ShowChatMsg->Lines()->Get(1), "hello");
    const std::string from = dvr::win::Utf8ToGbk("[From：") + "127.0.0.1]    (";
    EXPECT_EQ(b->mm_ShowChatMsg->Lines()->Get(0).substr(0, from.size()), from);
    EXPECT_EQ(
        b->mm_ShowChatMsg->Lines()->Get(0).substr(b->mm_ShowChatMsg->Lines()->Get(0).size() - 4),
        "Desk");
    EXPECT_TRUE(b->Visible()); // a message shows the window
    a->bt_ClearChatClick(a->bt_ClearChat);
    EXPECT_EQ(a->mm_ShowChatMsg->Lines()->Count(), 0);
    a->ed_FileName->SetText("");
    a->sb_SaveToClick(a->sb_SaveTo);
    EXPECT_EQ(messages, std::vector<std::string>{dvr::win::Utf8ToGbk("保存失败！")});
}

} // namespace
} // namespace vantrel
