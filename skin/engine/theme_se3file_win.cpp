#include "framework/win/filestream.h"
#include "skin/engine/theme_se3file.h"

#include <windows.h>

#include "common/win/textconv.h"

namespace dvr::skin {

bool SkinFileExists(const std::string& FileName) {
    DWORD a = GetFileAttributesW(dvr::win::GbkToWide(FileName).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<fw::TStream> OpenSkinFile(const std::string& FileName, bool Write) {
    if (Write) return std::make_unique<fw::TFileStream>(FileName, fw::fmCreate);
    return std::make_unique<fw::TFileStream>(FileName, fw::fmOpenRead | fw::fmShareDenyNone);
}

} // namespace dvr::skin
