// Configuration of the simulated boards (text format in SimCtl.h).
#pragma once

#include <optional>
#include <string>

#include <vector>

namespace sim {

constexpr int kMaxSubChannels = 4; // areas and sources exist for four sub-channels

struct ProcessorConfig {
    int type = 4;
    int status = 0; // at power-on; 2 models a processor left running
    // "" = the default source, "none" = nothing, "synthetic" = built-in fake
    // records, anything else a script path.
    std::string sources[kMaxSubChannels];
    bool video[kMaxSubChannels] = {true, true, true, true};
};

struct SimConfig {
    std::vector<ProcessorConfig> processors;
    int speed = 1;
    bool sound = true;
};

// Relative script paths are taken from baseDir (may be empty). nullopt with
// a message naming the line on a syntax error.
std::optional<SimConfig> ParseConfig(const std::string& text, const std::string& baseDir,
                                     std::string* error);
// Whether a firmware file's text is a configuration (its first item is one of ours).
bool LooksLikeConfig(const std::string& text);

} // namespace sim
