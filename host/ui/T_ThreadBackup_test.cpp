#include "host/ui/T_ThreadBackup.h"

#include "host/ui/U_ReplayRules.h"
#include "host/ui/replay_testing.h"

#include <gtest/gtest.h>

#include <mutex>

namespace vantrel {
namespace {

using namespace vantrel::testing;

// Runs one backup and waits for its end; the reports it gave, in order.
struct BackupRun {
    std::mutex lock;
    std::vector<TBackupReport> reports;
    dvr::win::Event done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    std::vector<TBackupReport> Run(std::vector<std::string> files, const std::string& root,
                                   TThreadBackup::CopyFunc copy = nullptr) {
        ::ResetEvent(done.get());
        reports.clear();
        TThreadBackup* t = TThreadBackup::Create(
            std::move(files), 'E',
            [this](const TBackupReport& r) {
                std::lock_guard<std::mutex> g(lock);
                reports.push_back(r);
                if (r.Finished) ::SetEvent(done.get());
            },
            root, std::move(copy));
        EXPECT_NE(t, nullptr);
        EXPECT_EQ(::WaitForSingleObject(done.get(), 20000), WAIT_OBJECT_0);
        std::lock_guard<std::mutex> g(lock);
        return reports;
    }
};

class Backup : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = FreshProgramFolder("replay_backup");
        root_ = base_ + "E\\VQS_Backup\\";
        const std::vector<uint8_t> rec = ReadAll(dvr::testing::TestDataPath("cif_ip.MPG"));
        const std::string bytes(rec.begin(), rec.end());
        for (const char* name : {"1\\CC\\0-0-20261210100000.MPG", "1\\AC\\0-1-20261210110000.MPG",
                                 "3\\CC\\2-0-20261210120000.MPG"}) {
            const std::string path = base_ + "D\\DVRDat\\20261210\\" + name;
            WriteFile(path, bytes);
            files_.push_back(path);
        }
    }

    std::string base_, root_;
    std::vector<std::string> files_;
    BackupRun run_;
};

TEST_F(Backup, CopiesADaysFilesBelowTheRootWithTheDriveAsFolderAndReportsProgress) {
    const auto reports = run_.Run(files_, root_);
    ASSERT_EQ(reports.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(reports[i].Done, i + 1);
        EXPECT_EQ(reports[i].Total, 3);
        EXPECT_FALSE(reports[i].Finished);
    }
    EXPECT_TRUE(reports.back().Finished);
    EXPECT_EQ(reports.back().Copied, 3);
    EXPECT_EQ(reports.back().Failed, 0);
    for (const std::string& f : files_) {
        const std::string target = BackupTargetPath(root_, f);
        ASSERT_NE(target.find("VQS_Backup\\" + f.substr(0, 1) + "$\\"), std::string::npos);
        EXPECT_EQ(ReadAll(target), ReadAll(f)) << target;
    }
}

TEST_F(Backup, ASecondBackupLeavesExistingCopiesUnchanged) {
    run_.Run(files_, root_);
    const std::string first = BackupTargetPath(root_, files_[0]);
    WriteFile(first, "kept");
    const auto reports = run_.Run(files_, root_);
    EXPECT_EQ(reports.back().Copied, 0);
    EXPECT_EQ(reports.back().Existing, 3);
    EXPECT_EQ(reports.back().Failed, 0);
    EXPECT_EQ(ReadAll(first), std::vector<uint8_t>({'k', 'e', 'p', 't'}));
}

TEST_F(Backup, AFailingTargetIsReportedLeavesNoTornCopyAndKeepsTheSource) {
    const std::vector<uint8_t> before = ReadAll(files_[1]);
    // A disk that fills in the middle of the second file.
    auto copy = [](const std::wstring& from, const std::wstring& to) {
        if (from.find(L"0-1-") == std::wstring::npos)
            return ::CopyFileW(from.c_str(), to.c_str(), TRUE) != 0;
        dvr::win::File half(
            ::CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        DWORD n = 0;
        ::WriteFile(half.get(), "partial", 7, &n, nullptr);
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    };
    const auto reports = run_.Run(files_, root_, copy);
    EXPECT_EQ(reports.back().Copied, 2);
    EXPECT_EQ(reports.back().Failed, 1);
    EXPECT_FALSE(FileExists(BackupTargetPath(root_, files_[1])));
    EXPECT_EQ(ReadAll(files_[1]), before);

    // A root that cannot be made: a file stands where the backup folder should be.
    WriteFile(base_ + "F", "x");
    const auto failed = run_.Run(files_, base_ + "F\\VQS_Backup\\");
    EXPECT_EQ(failed.back().Failed, 3);
    EXPECT_EQ(failed.back().Copied, 0);
    for (const std::string& f : files_)
        EXPECT_TRUE(FileExists(f));
}

} // namespace
} // namespace vantrel
