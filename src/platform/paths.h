#pragma once

#include <string>

// True when the path is relative: false for an empty path, one shorter than two
// characters, one that begins with "$", "\", "~" or "/", and one whose second character
// is ":" (a drive path); true for all others, such as sub/file.bin.
bool IsRelativePath(const std::string& path);

// True when a regular file (or anything that is not a directory) exists at the path.
bool FileExists(const std::string& path);
