#include "host/engine/U_YunTaiSet.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "host/engine/U_Arithmetic.h"

#include <utility>

namespace vantrel {

namespace {

const std::string& Key() {
    static const std::string key = std::string(kSettingsKey) + "YUTAI";
    return key;
}

dvr::win::File OpenForReading(const std::string& fileName) {
    return dvr::win::File(::CreateFileW(dvr::win::GbkToWide(fileName).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

TYunTaiSet::TYunTaiSet(std::string programFolder) : fileName_(std::move(programFolder) + "YT.IFO") {
    const int count = GetProtocolCount();
    Protocols.assign(count, TYunTaiProtocol{});
    for (int i = 0; i < count; ++i)
        ReadProtocol(uint16_t(i), Protocols[i]);
    Load();
}

void TYunTaiSet::Load() {
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, Key(), "YUTAI", &Settings, int(sizeof Settings));
}

int TYunTaiSet::Save(const TYunTaiSetRecord& record) {
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, Key(), "YUTAI", &record,
                                       int(sizeof record));
}

void TYunTaiSet::ReadProtocol(uint16_t index, TYunTaiProtocol& rec) const {
    rec.Name.len = 0;
    dvr::win::File file = OpenForReading(fileName_);
    if (!file) return;
    LARGE_INTEGER offset{};
    offset.QuadPart = int64_t(index) * int64_t(sizeof(TYunTaiProtocol));
    if (!::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) return;
    DWORD read = 0;
    ::ReadFile(file.get(), &rec, DWORD(sizeof rec), &read, nullptr);
}

int TYunTaiSet::GetProtocolCount() const {
    dvr::win::File file = OpenForReading(fileName_);
    if (!file) return 0;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return 0;
    // A 16-bit record number reaches at most 65536 records.
    const int64_t count = size.QuadPart / int64_t(sizeof(TYunTaiProtocol));
    return int(count > 65536 ? 65536 : count);
}

} // namespace vantrel
