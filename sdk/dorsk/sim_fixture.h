// Test fixture: a private current folder with the firmware files and a configured
// board stand-in; the library is stopped after each test.
#pragma once

#include "sdk/dorsk/dorsk_api.h"
#include "sdk/dorsk/sdk_state.h"
#include "sim/brevix32/SimCtl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace dvr::dorsk::testing {

class SimBoardTest : public ::testing::Test {
protected:
    // Two processors: channels 0-3 on processor 0, channel 4 on processor 1.
    static constexpr const char* kTwoProcessors = "processor 4\nprocessor 1\n";

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"dorsk_test_" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
        WriteFirmware(L"Main.out");
        WriteFirmware(L"MainD1.out");
        ASSERT_EQ(SimCtl_Configure(kTwoProcessors), 0);
    }

    void TearDown() override {
        RU4Dov_DeInitDSPs();
        ::DeleteFileW(L"Main.out");
        ::DeleteFileW(L"MainD1.out");
        ::SetCurrentDirectoryW(previous_);
        ::RemoveDirectoryW(folder_.c_str());
    }

    static void WriteFirmware(const wchar_t* name) {
        win::File file(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        const char text[] = "# board program\n";
        DWORD written = 0;
        ::WriteFile(file.get(), text, sizeof(text) - 1, &written, nullptr);
    }

    // Driver calls about one processor since log position `from`, leaving out the
    // message traffic, which the message thread interleaves.
    static std::vector<int> BoardCalls(int processor, int from) {
        std::vector<int> ops;
        for (int i = from; i < SimCtl_GetCallCount(); ++i) {
            int op = 0, p = 0;
            SimCtl_GetCall(i, &op, &p);
            if (p != processor) continue;
            if (op == SIMCTL_OP_MESSAGE_SEND || op == SIMCTL_OP_MESSAGE_RECEIVE ||
                op == SIMCTL_OP_GET_TYPE || op == SIMCTL_OP_GET_NUM)
                continue;
            ops.push_back(op);
        }
        return ops;
    }

    // Word 0 of the commands processor `processor` received since log position `from`,
    // leaving out the answers to the board's own time requests.
    static std::vector<uint32_t> CommandWords0(int processor, int from) {
        std::vector<uint32_t> words0;
        for (int i = from; i < SimCtl_GetCommandCount(processor); ++i) {
            uint32_t words[BREVIX_MESSAGE_WORDS] = {};
            SimCtl_GetCommand(processor, i, words);
            if (CommandCode(words[0]) != kCmdTime) words0.push_back(words[0]);
        }
        return words0;
    }

    // The board's own view of one of a sub-channel's areas (text lines 0 and 1, logo 2,
    // statistics 3, grab buffer 4, status block 5), found through its control block.
    static uint8_t* SimArea(int processor, int sub, int area) {
        SimCtlBoardMemory memory{};
        if (SimCtl_GetBoardMemory(processor, &memory) != 0) return nullptr;
        auto* base = static_cast<uint8_t*>(memory.host);
        uint32_t address = 0;
        std::memcpy(&address, base + 58000 + 12 + (sub * 6 + area) * 4, sizeof address);
        return base + (address - memory.boardBase);
    }

    // Waits for the answer to the board's first time request, which would otherwise
    // take busy answers meant for a test's own command.
    static void WaitFirstTimeAnswer(int processor) {
        ASSERT_GE(SimCtl_WaitCommand(processor, kCmdTime, 0, 5000, nullptr), 0);
    }

    // Waits until a freshly booted processor has answered its first time request and
    // written its control block.
    static void WaitBoardReady(int processor) {
        WaitFirstTimeAnswer(processor);
        SimCtlBoardMemory memory{};
        ASSERT_EQ(SimCtl_GetBoardMemory(processor, &memory), 0);
        uint32_t magic = 0;
        for (int i = 0; i < 500 && magic != kStreamMagic; ++i) {
            std::memcpy(&magic, static_cast<uint8_t*>(memory.host) + 58000, sizeof magic);
            if (magic != kStreamMagic) ::Sleep(10);
        }
        ASSERT_EQ(magic, kStreamMagic);
    }

    // Overwrites the control block's magic word (0 makes the block invalid).
    static void SetControlMagic(int processor, uint32_t magic) {
        SimCtlBoardMemory memory{};
        ASSERT_EQ(SimCtl_GetBoardMemory(processor, &memory), 0);
        std::memcpy(static_cast<uint8_t*>(memory.host) + 58000, &magic, sizeof magic);
    }

    // The commands a processor received since `from` (time answers left out), each cut
    // to its first `words` words.
    static std::vector<std::vector<uint32_t>> Commands(int processor, int from, size_t words) {
        std::vector<std::vector<uint32_t>> out;
        for (int i = from; i < SimCtl_GetCommandCount(processor); ++i) {
            uint32_t w[BREVIX_MESSAGE_WORDS] = {};
            SimCtl_GetCommand(processor, i, w);
            if (CommandCode(w[0]) != kCmdTime) out.emplace_back(w, w + words);
        }
        return out;
    }

    std::wstring folder_;
    wchar_t previous_[MAX_PATH] = {};
};

} // namespace dvr::dorsk::testing
