// Pictures the operator supplies as files: loading one (JPEG or bitmap) and choosing one.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

// The picture as a bitmap of the caller's, or null when the file is missing or no picture.
// JPEG (and the other kinds the system's picture loader knows) and Windows bitmaps load.
HBITMAP LoadPictureFile(const std::wstring& path);

// The open-file dialog over pictures with the given filter ("text|pattern", GBK); the chosen
// file's path (GBK), or empty when none was chosen.
std::string ChoosePictureFile(HWND owner, const std::string& gbkFilter);

} // namespace vantrel
