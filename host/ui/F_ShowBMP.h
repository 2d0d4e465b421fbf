// The snapshot browser's search for the recording in which a preview snapshot was taken.
#pragma once

#include <string>

namespace vantrel {

// The first file, in the order the folder lists them, of the snapshot's "CC" folder, else of
// its "AC" folder, that started not after the snapshot and was last written not before it;
// "" when none.
std::string FindSnapshotRecording(const std::string& snapshotPath);

} // namespace vantrel
