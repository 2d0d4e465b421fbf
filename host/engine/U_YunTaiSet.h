// PTZ settings of the channels (registry value "YUTAI") and the table of PTZ protocols read
// from "YT.IFO" beside the program.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

class TYunTaiSet {
public:
    // Reads every protocol of the file, then the settings. programFolder is GBK and ends in
    // a path separator.
    explicit TYunTaiSet(std::string programFolder);

    TYunTaiSetRecord Settings{};
    // Also the working buffer of frame building: the PTZ control fills templates in place,
    // and those changes are never written back to the file.
    std::vector<TYunTaiProtocol> Protocols;

    // The stored value into Settings; a missing or longer one leaves Settings as it was.
    void Load();
    // 0 written, -1 otherwise.
    static int Save(const TYunTaiSetRecord& record);
    // Record `index` of the file into rec; the name stays empty when the file cannot be read,
    // and a short last record fills only its front.
    void ReadProtocol(uint16_t index, TYunTaiProtocol& rec) const;
    // Whole records in the file; 0 when it cannot be opened.
    int GetProtocolCount() const;

private:
    std::string fileName_;
};

} // namespace vantrel
