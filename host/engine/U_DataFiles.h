// Whole-file reads and safe whole-file replacement for the host's small data files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Creates a folder with every missing level; true when it exists afterwards. Path in GBK.
bool CreateFolderLevels(std::string_view folder);
bool FolderExists(std::string_view folder);

enum class FileRead { Missing, Unreadable, Read };
// Reads a whole file (shared for reading and writing).
FileRead ReadWholeFile(std::string_view path, std::vector<uint8_t>& data);

// Writes the bytes to "<path>.new", flushes and checks it, then replaces the file in one step,
// so that a failure leaves the old file as it was.
bool ReplaceWholeFile(std::string_view path, const void* data, size_t size);

} // namespace vantrel
