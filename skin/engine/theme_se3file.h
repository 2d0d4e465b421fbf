// Files of skins: the native tree uses the C++ library, the Windows tree the
// framework's file streams (reading shared with every other opener).
#pragma once

#include "framework/stream.h"

#include <memory>
#include <string>

namespace dvr::skin {

bool SkinFileExists(const std::string& FileName);
// Write: created or replaced. Failure raises fw::EStreamError.
std::unique_ptr<fw::TStream> OpenSkinFile(const std::string& FileName, bool Write);

} // namespace dvr::skin
