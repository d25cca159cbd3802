#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbra {

// Writes text to a new temporary file beside path and renames that over path, so that a crash
// leaves either the old file or the new one, never half of one. False (and no temporary file left)
// on failure.
bool WriteFileAtomically(const std::string& path, std::string_view text);

// Like WriteFileAtomically, and the file is flushed to the disk before the rename and its
// folder after it, so that it survives a power cut once this returns true.
bool WriteFileDurably(const std::string& path, std::string_view text);

// Opens a new temporary file beside path (path + "." + process id + "-" + counter + ".tmp")
// for writing; -1 on failure. temp gets its name.
int CreateTemporaryBeside(const std::string& path, std::string& temp);
// Writes all of text to fd; false on failure.
bool WriteAll(int fd, std::string_view text);
// The folder a path lies in ("." for a bare file name).
std::string FolderOf(const std::string& path);

// Removes the temporary files ("*.tmp") a crash left in folder, and in every folder below it
// when recursive. Gives how many went.
std::size_t RemoveStaleTemporaries(const std::string& folder, bool recursive);

// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& text);

}  // namespace nimbra
