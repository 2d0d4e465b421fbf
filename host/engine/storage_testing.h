// Shared by the storage tests: drives held in folders of a scratch tree, with the room each
// reports, recording settings and the recording engine's open files.
#pragma once

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_engine_testing.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantrel::testing {

inline void WriteFile(const std::string& path, const std::string& bytes = "x") {
    const size_t slash = path.rfind('\\');
    ForceDirectories(path.substr(0, slash + 1));
    dvr::win::File f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

struct FakeDrives : TDriveAccess {
    explicit FakeDrives(const char* name) : Base(FreshProgramFolder(name)) {}
    std::string Base;
    std::set<char> Fixed{'D', 'E', 'F'};
    std::set<char> Broken;
    // Free bytes of each drive; when set, Free decides instead.
    std::map<char, uint64_t> Bytes;
    std::function<uint64_t(char)> Free;

    std::string Root(char letter) const override { return Base + letter + "\\"; }
    char LetterOf(std::string_view path) const override {
        return path.substr(0, Base.size()) == Base && path.size() > Base.size() ? path[Base.size()]
                                                                                : path[0];
    }
    bool IsFixed(char letter) const override { return Fixed.count(letter) != 0; }
    bool FreeBytes(char letter, uint64_t& bytes) const override {
        if (Broken.count(letter)) return false;
        if (Free) {
            bytes = Free(letter);
            return true;
        }
        const auto it = Bytes.find(letter);
        bytes = it == Bytes.end() ? 0 : it->second;
        return true;
    }
    int DaysOn(char letter) const {
        int days = 0;
        for (const FolderItem& i : ListFolder(Root(letter) + "DVRDat"))
            days += IsDayFolderName(i.Name) ? 1 : 0;
        return days;
    }
};

struct FakeRanges : TDriveRanges {
    std::vector<TDriveRange> Ranges;
    int ChannelCount() const override { return static_cast<int>(Ranges.size()); }
    TDriveRange Range(int ch) const override { return Ranges.at(ch); }
    void SetRange(int ch, TDriveRange r) override { Ranges.at(ch) = r; }
};

struct FakeRecording : TRecordingFiles {
    std::map<int, std::string> Open;
    bool CurrentFile(int ch, std::string& name) const override {
        const auto it = Open.find(ch);
        if (it == Open.end()) return false;
        name = it->second;
        return true;
    }
};

struct FaultLog {
    struct Post {
        WPARAM w;
        LPARAM l;
    };
    std::vector<Post> Posts;
    TDiskFaultList List{[] { return 38061.5; },
                        [this](WPARAM w, LPARAM l) {
                            Posts.push_back({w, l});
                        }};
};

} // namespace vantrel::testing
