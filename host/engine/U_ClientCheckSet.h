// The remote access lists: remote users ("USER\CheckUser.ifm") and remote addresses
// ("USER\CheckIP.ifm").
#pragma once

#include "host/engine/U_Rights.h"

#include "common/win/handles.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TThreadWriteLogRecord;

class TClientCheckSet {
public:
    struct Lists {
        std::vector<TRemoteUserRecord> Users;
        std::vector<TRemoteIPRecord> IPs;
        // A file that is present but cannot be read whole refuses every remote request.
        bool UsersUnreadable = false;
        bool IPsUnreadable = false;
    };

    // programPath: the program folder with its trailing "\" (GBK). `log` receives a line for
    // a list file that cannot be read.
    TClientCheckSet(std::string programPath, TThreadWriteLogRecord* log);

    void Load();
    // Rewrite a list file with exactly these bytes; an empty list removes the file (no
    // restriction). A failure keeps the old file.
    void SaveUserFile(const void* buffer, int size);
    void SaveIPFile(const void* buffer, int size);
    static void SetUserDefaults(TRemoteUserRecord& record) { SetRemoteUserDefaults(record); }
    static void SetIPDefaults(TRemoteIPRecord& record) { SetRemoteIPDefaults(record); }

    // The lists as loaded; a reload replaces them, a holder keeps the old ones.
    std::shared_ptr<const Lists> Current() const;

private:
    void Save(const std::string& path, const void* buffer, int size);

    std::string folder_;
    TThreadWriteLogRecord* log_;
    mutable dvr::win::CriticalSection lock_;
    std::shared_ptr<const Lists> lists_;
};

} // namespace vantrel
