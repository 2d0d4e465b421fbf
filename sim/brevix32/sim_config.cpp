#include "sim/brevix32/sim_config.h"

#include <sstream>

namespace sim {
namespace {

bool IsAbsolute(const std::string& p) {
    return (!p.empty() && (p[0] == '/' || p[0] == '\\')) || (p.size() > 1 && p[1] == ':');
}

bool ParseInt(const std::string& s, int& out) {
    if (s.empty()) return false;
    size_t used = 0;
    try {
        long v = std::stol(s, &used, 0);
        if (used != s.size() || v < -1000000 || v > 1000000) return false;
        out = int(v);
    } catch (...) {
        return false;
    }
    return true;
}

std::string FirstWord(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string w;
        if (words >> w) return w;
    }
    return {};
}

} // namespace

bool LooksLikeConfig(const std::string& text) {
    std::string w = FirstWord(text);
    return w == "processor" || w == "source" || w == "video" || w == "speed" || w == "sound";
}

std::optional<SimConfig> ParseConfig(const std::string& text, const std::string& baseDir,
                                     std::string* error) {
    SimConfig cfg;
    struct Pending {
        int proc, sub;
        std::string value;
        bool isVideo;
        int line;
    };
    std::vector<Pending> perChannel;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) -> std::optional<SimConfig> {
        if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
        return std::nullopt;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;)
            w.push_back(s);
        if (w.empty()) continue;
        if (w[0] == "processor") {
            ProcessorConfig p;
            if (w.size() != 2 && w.size() != 4) return fail("processor <type> [status <n>]");
            if (!ParseInt(w[1], p.type) || p.type < 0) return fail("bad type");
            if (w.size() == 4 && (w[2] != "status" || !ParseInt(w[3], p.status)))
                return fail("bad status");
            cfg.processors.push_back(p);
        } else if (w[0] == "source" || w[0] == "video") {
            Pending pc{};
            if (w.size() < 4) return fail(w[0] + " <proc> <sub> <value>");
            if (!ParseInt(w[1], pc.proc) || !ParseInt(w[2], pc.sub) || pc.proc < 0 || pc.sub < 0 ||
                pc.sub >= kMaxSubChannels)
                return fail("bad processor or sub-channel");
            // A path may hold spaces: the rest of the line after the sub-channel.
            std::string rest = line;
            for (int k = 0; k < 3; ++k) {
                size_t at = rest.find_first_not_of(" \t");
                rest = rest.substr(rest.find_first_of(" \t", at));
            }
            rest = rest.substr(rest.find_first_not_of(" \t"));
            rest = rest.substr(0, rest.find_last_not_of(" \t\r") + 1);
            pc.value = rest;
            pc.isVideo = w[0] == "video";
            pc.line = lineNo;
            if (pc.isVideo && pc.value != "0" && pc.value != "1") return fail("video 0 or 1");
            perChannel.push_back(pc);
        } else if (w[0] == "speed") {
            if (w.size() != 2 || !ParseInt(w[1], cfg.speed) || cfg.speed < 1)
                return fail("speed <n >= 1>");
        } else if (w[0] == "sound") {
            if (w.size() != 2 || (w[1] != "0" && w[1] != "1")) return fail("sound 0 or 1");
            cfg.sound = w[1] == "1";
        } else {
            return fail("unknown item " + w[0]);
        }
    }
    if (cfg.processors.empty()) cfg.processors.push_back(ProcessorConfig{});
    for (const Pending& pc : perChannel) {
        lineNo = pc.line;
        if (pc.proc >= int(cfg.processors.size())) return fail("no such processor");
        ProcessorConfig& p = cfg.processors[size_t(pc.proc)];
        if (pc.isVideo) {
            p.video[pc.sub] = pc.value == "1";
        } else if (pc.value == "none" || pc.value == "synthetic" || IsAbsolute(pc.value) ||
                   baseDir.empty()) {
            p.sources[pc.sub] = pc.value;
        } else {
            p.sources[pc.sub] = baseDir + "/" + pc.value;
        }
    }
    return cfg;
}

} // namespace sim
