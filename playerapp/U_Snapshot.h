// Snapshots of a port: the screen under its panel saved as a bitmap file in the
// "replayBmp\" folder beside the program.
#pragma once

#include <windows.h>

#include <string>

#include "common/win/handles.h"

namespace playerqz {

// Creates path and every missing parent, one "\"-ended segment at a time. True when the
// folder exists afterwards.
bool ForceDirectoryChain(std::wstring path);

// The program's folder, with a trailing "\".
std::wstring ProgramFolder();

// A copy of the screen's pixels inside rect (screen coordinates).
dvr::win::Bitmap CaptureScreenRect(const RECT& rect);

// Writes a bitmap as a 24-bit .bmp file.
bool SaveBitmapFile(HBITMAP bitmap, const std::wstring& path);

// "Camera01_20261210_154233_120.bmp" for port 0 at that local time.
std::wstring SnapshotFileName(int port, const SYSTEMTIME& time);

// Captures what the window shows in its client area into folder (created when missing);
// the file's full path, or empty on failure.
std::wstring SaveWindowSnapshot(HWND window, int port, const std::wstring& folder);

} // namespace playerqz
