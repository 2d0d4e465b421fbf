// Inside view of Corvane for its DLL entry and its tests.
#pragma once

namespace dvr::corvane {

// Where traces go; OutputDebugStringA unless replaced. Null restores it.
using TraceSink = void (*)(const char* text);
void SetTraceSink(TraceSink sink);

// The load-time version trace.
void TraceVersion();

// Whether a node is registered and served.
bool NodeValid(int nodeNumber);

} // namespace dvr::corvane
