// Read-only streams over a resource of a loaded module, found by name or number and a
// type name.
#pragma once

#include "framework/exceptions.h"
#include "framework/stream.h"

#include <windows.h>

#include <string>

namespace dvr::fw {

class EResNotFound : public Exception {
    using Exception::Exception;
};

class TResourceStream : public TCustomMemoryStream {
    FW_CLASS(TResourceStream, TCustomMemoryStream)
public:
    // Names are GBK; a missing resource raises EResNotFound.
    TResourceStream(HINSTANCE Instance, const std::string& ResName, const std::string& ResType);
    TResourceStream(HINSTANCE Instance, int ResID, const std::string& ResType);

private:
    void Initialize(HINSTANCE Instance, const wchar_t* Name, const std::string& ResType,
                    const std::string& Shown);
};

} // namespace dvr::fw
