#include "host/engine/U_StorageNames.h"

#include "host/engine/U_Conversions.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(StorageNames, RecordingPathsByChannelAndKind) {
    const double t = OleDateFromParts(2004, 3, 15, 14, 30, 5);
    struct Case {
        int channel, type;
        const char* path;
    } cases[] = {
        {0, 0, "D:\\DVRDat\\20040315\\1\\CC\\0-0-20040315143005.MPG"},
        {12, 1, "D:\\DVRDat\\20040315\\13\\AC\\12-1-20040315143005.MPG"},
        {3, 2, "D:\\DVRDat\\20040315\\4\\PB\\3-2-20040315143005.BMP"},
        {48, 3, "D:\\DVRDat\\20040315\\49\\RB\\48-3-20040315143005.BMP"},
        {1, 4, "D:\\DVRDat\\20040315\\2\\1-4-20040315143005.MPG"},
    };
    for (const Case& c : cases) {
        const std::string path = RecordingFilePath("D:\\", c.channel, c.type, t);
        EXPECT_EQ(path, c.path);
        if (c.type <= 3) {
            const std::string name = path.substr(path.rfind('\\') + 1);
            EXPECT_TRUE(IsIndexedFileName(name)) << name;
            EXPECT_EQ(name.size(), c.channel < 10 ? 22u : 23u);
        }
    }
    // Midnight and single-digit parts stay two digits wide.
    EXPECT_EQ(RecordingFilePath("E:\\", 0, 0, OleDateFromParts(2009, 1, 2, 0, 0, 9)),
              "E:\\DVRDat\\20090102\\1\\CC\\0-0-20090102000009.MPG");
}

TEST(StorageNames, DriveRangeCorrection) {
    struct Case {
        TDriveRange stored, used;
    } cases[] = {
        {{'D', 'F'}, {'D', 'F'}}, {{'E', 'D'}, {'D', 'D'}}, {{'C', 'E'}, {'D', 'E'}},
        {{'E', '['}, {'E', 'Z'}}, {{0, 0}, {'D', 'Z'}},     {{'d', 'e'}, {'D', 'Z'}},
        {{'Z', 'Z'}, {'Z', 'Z'}},
    };
    for (const Case& c : cases) {
        const TDriveRange r = CorrectDriveRange(c.stored);
        EXPECT_EQ(r.FirstDrive, c.used.FirstDrive) << c.stored.FirstDrive << c.stored.LastDrive;
        EXPECT_EQ(r.LastDrive, c.used.LastDrive) << c.stored.FirstDrive << c.stored.LastDrive;
    }
}

TEST(StorageNames, RoomNeedsMoreThan400MegabytesPerChannelOnDAnd200Elsewhere) {
    constexpr uint64_t MB = 1024 * 1024;
    struct Case {
        char letter;
        uint64_t bytes;
        int channels;
        bool room;
    } cases[] = {
        {'D', 1600 * MB, 4, false},
        {'D', 1601 * MB, 4, true},
        {'D', 1601 * MB - 1, 4, false},
        {'E', 800 * MB, 4, false},
        {'E', 801 * MB, 4, true},
        {'Z', 0, 0, false},
        {'D', 1, 0, false},
        {'F', 200ull * 49 * MB + MB, 49, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasRoomFor(c.letter, c.bytes, c.channels), c.room)
            << c.letter << " " << c.bytes << " " << c.channels;
}

TEST(StorageNames, RangesInsideEarlierOnesCollapseOverlappingOnesStay) {
    using R = std::vector<TDriveRange>;
    struct Case {
        R in, out;
    } cases[] = {
        {{}, {}},
        {{{'D', 'F'}, {'E', 'E'}}, {{'D', 'F'}}},
        {{{'D', 'E'}, {'E', 'F'}}, {{'D', 'E'}, {'E', 'F'}}},
        {{{'D', 'D'}, {'D', 'D'}, {'D', 'D'}}, {{'D', 'D'}}},
        // A later wider range is kept beside the narrower one it contains.
        {{{'E', 'E'}, {'D', 'F'}, {'E', 'F'}}, {{'E', 'E'}, {'D', 'F'}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MergeRanges(c.in), c.out);
}

TEST(StorageNames, DayAndFileNamesOfTheScan) {
    EXPECT_TRUE(IsDayFolderName("20040315"));
    for (const char* name : {"2004031", "200403150", "ABCDEFGH", "2004-3-1", "-2004031", ""})
        EXPECT_FALSE(IsDayFolderName(name)) << name;
    EXPECT_FALSE(IsIndexedFileName(std::string(21, 'x')));
    EXPECT_FALSE(IsIndexedFileName(std::string(24, 'x')));
}

TEST(StorageNames, DashedDaysReadIndependentlyOfTheSystem) {
    EXPECT_EQ(DayToDashed("20040315"), "2004-03-15");
    double d = -1;
    ASSERT_TRUE(DashedDayToOleDate("2004-03-15", d));
    EXPECT_EQ(d, OleDateFromParts(2004, 3, 15, 0, 0, 0));
    ASSERT_TRUE(DashedDayToOleDate("2004-02-29", d));
    for (const char* bad : {"2003-02-29", "2004-13-01", "2004-00-10", "2004-04-31", "2004/03/15",
                            "20040315", "2004-3-15", "abcd-03-15"})
        EXPECT_FALSE(DashedDayToOleDate(bad, d)) << bad;
}

TEST(StorageNames, FolderLevelsKeepRepeatedBackslashesWithTheirLevel) {
    using L = std::vector<std::string>;
    EXPECT_EQ(FolderLevels(""), L{});
    EXPECT_EQ(FolderLevels("C:\\a\\\\b"), (L{"C:\\", "C:\\a\\\\", "C:\\a\\\\b\\"}));
    EXPECT_EQ(FolderLevels("D:\\DVRDat\\"), (L{"D:\\", "D:\\DVRDat\\"}));
}

TEST(StorageNames, IndexEntriesSplitAtTheHash) {
    EXPECT_EQ(EntryPath("D:\\x.MPG#1234"), "D:\\x.MPG");
    EXPECT_EQ(EntryHandle("D:\\x.MPG#1234"), 1234);
    EXPECT_EQ(EntryPath("D:\\x.MPG"), "D:\\x.MPG");
    for (const char* e : {"D:\\x.MPG", "D:\\x.MPG#", "D:\\x.MPG#12a", "D:\\x.MPG#-1"})
        EXPECT_LE(EntryHandle(e), -1) << e;
}

} // namespace
} // namespace vantrel
