#include "host/engine/U_WorkLog.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <vector>

namespace vantrel {
namespace {

using testing::FreshProgramFolder;

double Day(int day, int hour = 8, int minute = 0) {
    return OleDateFromParts(2026, 10, 1, hour, minute, 0) + (day - 1);
}

TWorkLogRecord Record(double time, int event = 1, const char* user = "vorel") {
    TWorkLogRecord r{};
    EXPECT_TRUE(ParseWorkLogLine(WorkLogLine(time, event, -1, -1, -1, "", "", user), r));
    return r;
}

std::vector<TWorkLogRecord> All(TWorkLog& log) {
    std::vector<TWorkLogRecord> all(static_cast<size_t>(log.GetRecordCount()));
    if (!all.empty()) log.ReadRecords(0, all.data(), int(all.size()));
    return all;
}

std::vector<int32_t> Links(TWorkLog& log) {
    std::vector<int32_t> links;
    for (const TWorkLogRecord& r : All(log))
        links.push_back(r.Link);
    return links;
}

class WorkLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        folder = FreshProgramFolder("host_engine_worklog");
    }
    void TearDown() override { testing::DeleteHostSettings(); }
    std::string folder;
    TArithmetic arithmetic;
};

TEST_F(WorkLogTest, RecordsChainByDay) {
    TWorkLog log(arithmetic, folder);
    EXPECT_EQ(log.CountDays(), 0);
    ASSERT_TRUE(log.AppendRecord(Record(Day(1, 8))));
    EXPECT_EQ(Links(log), (std::vector<int32_t>{-1}));
    EXPECT_EQ(log.CountDays(), 1);
    log.AppendRecord(Record(Day(1, 9)));
    EXPECT_EQ(Links(log), (std::vector<int32_t>{-1, 0}));
    log.AppendRecord(Record(Day(2, 7)));
    log.AppendRecord(Record(Day(2, 23, 59)));
    log.AppendRecord(Record(Day(3, 0)));
    EXPECT_EQ(Links(log), (std::vector<int32_t>{2, 0, 4, 2, -1}));
    EXPECT_EQ(log.CountDays(), 3);

    std::vector<std::string> dates, indices;
    log.ListDays(dates, indices);
    EXPECT_EQ(dates, (std::vector<std::string>{"2026-10-01 08:00:00:000", "2026-10-02 07:00:00:000",
                                               "2026-10-03 00:00:00:000"}));
    EXPECT_EQ(indices, (std::vector<std::string>{"0", "2", "4"}));
}

TEST_F(WorkLogTest, ReopenedLogContinuesTheNewestDay) {
    {
        TWorkLog log(arithmetic, folder);
        log.AppendRecord(Record(Day(1)));
        log.AppendRecord(Record(Day(2)));
        log.AppendRecord(Record(Day(2, 10)));
    }
    TWorkLog log(arithmetic, folder);
    EXPECT_EQ(log.HeadIndex(), 1);
    log.AppendRecord(Record(Day(2, 11)));
    log.AppendRecord(Record(Day(3)));
    EXPECT_EQ(Links(log), (std::vector<int32_t>{1, 4, 1, 1, -1}));
}

TEST_F(WorkLogTest, TornTailIsCutAndTheNextRecordLinesUp) {
    {
        TWorkLog log(arithmetic, folder);
        log.AppendRecord(Record(Day(1)));
        log.AppendRecord(Record(Day(2)));
        log.AppendRecord(Record(Day(2, 9)));
    }
    {
        std::ofstream torn(folder + "WorkLog\\WorkLog.Log", std::ios::binary | std::ios::app);
        torn << std::string(30, '\x7F'); // a record cut short by a power failure
    }
    TWorkLog log(arithmetic, folder);
    EXPECT_EQ(log.GetRecordCount(), 3);
    log.AppendRecord(Record(Day(2, 10), 7));
    log.AppendRecord(Record(Day(3), 8));
    const std::vector<TWorkLogRecord> all = All(log);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[3].Event, 7);
    EXPECT_EQ(all[4].Event, 8);
    EXPECT_EQ(Links(log), (std::vector<int32_t>{1, 4, 1, 1, -1}));
    EXPECT_EQ(log.CountDays(), 3);
}

TEST_F(WorkLogTest, DroppingTheOldestDayKeepsTheChain) {
    TWorkLog log(arithmetic, folder);
    for (double t : {Day(1, 1), Day(1, 2), Day(2, 1), Day(2, 2), Day(2, 3), Day(3, 1), Day(3, 2)})
        log.AppendRecord(Record(t));
    ASSERT_EQ(Links(log), (std::vector<int32_t>{2, 0, 5, 2, 2, -1, 5}));
    ASSERT_TRUE(log.DropOldestDay());
    // Only the day heads and the last record carry meaningful links.
    const std::vector<int32_t> links = Links(log);
    ASSERT_EQ(links.size(), 5u);
    EXPECT_EQ(links[0], 3);
    EXPECT_EQ(links[3], -1);
    EXPECT_EQ(links[4], 3);
    EXPECT_EQ(log.CountDays(), 2);
    EXPECT_EQ(log.HeadIndex(), 3);
    // Appending goes on in the newest day and then a new one.
    log.AppendRecord(Record(Day(3, 3)));
    log.AppendRecord(Record(Day(4, 1)));
    EXPECT_EQ(Links(log)[3], 6);
    EXPECT_EQ(log.CountDays(), 3);
    EXPECT_EQ(::GetFileAttributesA((folder + "WorkLog\\WorkLog.tmp").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(WorkLogTest, NothingIsDroppedWithoutASecondDayOrWithoutAWorkFile) {
    TWorkLog log(arithmetic, folder);
    log.AppendRecord(Record(Day(1, 1)));
    log.AppendRecord(Record(Day(1, 2)));
    EXPECT_FALSE(log.DropOldestDay()); // the first record's link is -1
    EXPECT_EQ(log.GetRecordCount(), 2);

    log.AppendRecord(Record(Day(2, 1)));
    const std::vector<int32_t> before = Links(log);
    // A work file that cannot be made (a folder in its place): the log stays as it was.
    ASSERT_TRUE(::CreateDirectoryA((folder + "WorkLog\\WorkLog.tmp").c_str(), nullptr));
    EXPECT_FALSE(log.DropOldestDay());
    EXPECT_EQ(Links(log), before);
    EXPECT_TRUE(log.IsOpen());
    log.AppendRecord(Record(Day(2, 2)));
    EXPECT_EQ(log.GetRecordCount(), 4);
}

TEST_F(WorkLogTest, ReadRecordsStaysInsideTheCallersBuffer) {
    TWorkLog log(arithmetic, folder);
    for (int i = 0; i < 5; ++i)
        log.AppendRecord(Record(Day(1, i), i));
    const struct {
        int first, capacity, read, firstEvent;
    } cases[] = {{0, 3, 3, 0},  {3, 3, 2, 3},   {4, 1, 1, 4},
                 {5, 3, 0, -1}, {-1, 3, 0, -1}, {0, 0, 0, -1}};
    for (const auto& c : cases) {
        std::vector<TWorkLogRecord> buffer(4);
        buffer[size_t(c.capacity)].Event = 0xAB; // the slot just past the capacity
        EXPECT_EQ(log.ReadRecords(c.first, buffer.data(), c.capacity), c.read) << c.first;
        EXPECT_EQ(buffer[size_t(c.capacity)].Event, 0xAB);
        if (c.read) {
            EXPECT_EQ(buffer[0].Event, c.firstEvent);
        }
    }
}

TEST_F(WorkLogTest, KeepDaysFromTheRegistryAtLeastOne) {
    const struct {
        int stored; // -1: none
        int want;
    } cases[] = {{-1, 30}, {0, 1}, {45, 45}, {10, 10}};
    for (const auto& c : cases) {
        testing::DeleteHostSettings();
        if (c.stored >= 0) {
            const uint8_t b = uint8_t(c.stored);
            TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\WorkLog", "WorkLog", &b,
                                        1);
        }
        TWorkLog log(arithmetic, folder);
        EXPECT_EQ(log.KeepDays, c.want) << c.stored;
    }
    TWorkLog log(arithmetic, folder);
    log.KeepDays = 12;
    ASSERT_EQ(log.SaveKeepDays(), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\WorkLog", "WorkLog"),
              1);
    log.LoadKeepDays();
    EXPECT_EQ(log.KeepDays, 12);
}

// Waits up to 20 s for a condition that the writer thread brings about.
template <typename F> bool WaitFor(F done) {
    for (int i = 0; i < 2000; ++i) {
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

std::string LineOf(double time, int event, const std::string& user) {
    return WorkLogLine(time, event, -1, -1, -1, "", "", user);
}

TEST_F(WorkLogTest, WriterPrunesThirtyOneDaysToThirtyWhenIdle) {
    TWorkLog log(arithmetic, folder);
    TThreadWriteLogRecord writer(log, [](DWORD) {});
    log.ViewerOpen = true; // the log window holds pruning back
    for (int day = 1; day <= 31; ++day) {
        writer.AddRecord(LineOf(Day(day, 8), 1, "a"));
        writer.AddRecord(LineOf(Day(day, 9), 2, "b"));
    }
    ASSERT_TRUE(WaitFor([&] { return log.GetRecordCount() == 62 && writer.Queued() == 0; }));
    ::Sleep(300);
    EXPECT_EQ(log.CountDays(), 31);

    log.ViewerOpen = false;
    writer.AddRecord(LineOf(Day(31, 10), 3, "c"));
    ASSERT_TRUE(WaitFor([&] { return log.CountDays() == 30; }));
    writer.Stop();

    std::vector<std::string> dates, indices;
    log.ListDays(dates, indices);
    ASSERT_EQ(dates.size(), 30u);
    EXPECT_EQ(dates.front(), "2026-10-02 08:00:00:000");
    const std::vector<int32_t> links = Links(log);
    ASSERT_EQ(links.size(), 61u);
    for (int day = 0; day < 30; ++day) {
        EXPECT_EQ(indices[size_t(day)], std::to_string(2 * day));
        EXPECT_EQ(links[size_t(2 * day)], day == 29 ? -1 : 2 * day + 2) << "head of day " << day;
    }
    EXPECT_EQ(links.back(), 58); // the last record points at its day's head
}

TEST_F(WorkLogTest, WriterQueueHoldsTwoHundredAndPacesEveryRecord) {
    TWorkLog log(arithmetic, folder);
    dvr::win::Event entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    dvr::win::Event gate(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::mutex m;
    std::vector<int> pacedAt; // record count at each 50 ms pause
    TThreadWriteLogRecord writer(log, [&](DWORD ms) {
        ::SetEvent(entered.get());
        ::WaitForSingleObject(gate.get(), INFINITE);
        std::lock_guard<std::mutex> hold(m);
        if (ms == 50) pacedAt.push_back(log.GetRecordCount());
    });
    writer.AddRecord(LineOf(Day(1), 1, "u0"));
    ASSERT_EQ(::WaitForSingleObject(entered.get(), 10000), WAIT_OBJECT_0);
    // The first line stays queued until its pause is over.
    for (int i = 1; i < 205; ++i)
        writer.AddRecord(LineOf(Day(1), 1, "u" + std::to_string(i)));
    EXPECT_EQ(writer.Queued(), 200u);
    ::SetEvent(gate.get());
    ASSERT_TRUE(WaitFor([&] { return writer.Queued() == 0 && log.GetRecordCount() == 200; }));
    writer.Stop();

    const std::vector<TWorkLogRecord> all = All(log);
    ASSERT_EQ(all.size(), 200u);
    EXPECT_EQ(all.back().UserName.Get(), "u199");
    std::lock_guard<std::mutex> hold(m);
    ASSERT_GE(pacedAt.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(pacedAt[size_t(i)], i + 1) << "pause after record " << i;
}

TEST_F(WorkLogTest, StoppingWritesTheLinesStillQueued) {
    TWorkLog log(arithmetic, folder);
    {
        TThreadWriteLogRecord writer(log);
        for (int i = 0; i < 10; ++i)
            writer.AddRecord(LineOf(Day(1, 8, i), 12, "op"));
        writer.AddRecord("2026-10-01 09:00:00.000;1;-1;-1;-1;;;op"); // malformed: dropped
        writer.AddRecord(LineOf(Day(1, 9), 3, "op"));                // "退出系统"
        writer.Stop();
        EXPECT_EQ(writer.Queued(), 0u);
    }
    const std::vector<TWorkLogRecord> all = All(log);
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all.back().Event, 3);

    TThreadWriteLogRecord idle(log); // never started: stops at once
    idle.Stop();
}

} // namespace
} // namespace vantrel
