#include "host/engine/recording_testing.h"

#include "common/adpcm/adpcm.h"
#include "common/testing/testdata.h"
#include "sim/brevix32/board_script.h"

#include <gtest/gtest.h>

namespace vantrel::testing {

using Bytes = std::vector<uint8_t>;

// What a channel replaying `script` delivers after a capture start: the stream header, then
// the records from the first key frame on, audio encoded by a fresh coder.
std::vector<Bytes> ScriptRecords(const std::string& name, size_t count) {
    auto script = sim::BoardScript::Load(dvr::testing::TestDataPath(name));
    EXPECT_TRUE(script);
    sim::RecordPlayer player(&*script, true);
    std::vector<Bytes> out{player.FileHead()};
    player.JumpToKeyFrame(0);
    dvr::AdpcmChannelState coder;
    dvr::AdpcmInitState(coder);
    sim::ScriptRecord r;
    while (out.size() < count && player.Next(INT64_MAX / 2, r)) {
        if (r.type == 8) {
            Bytes encoded(dvr::kEncodedAudioRecordSize);
            dvr::AdpcmEncodeRecord(r.bytes.data(), encoded.data(), coder);
            out.push_back(encoded);
        } else {
            out.push_back(r.bytes);
        }
    }
    return out;
}

} // namespace vantrel::testing
