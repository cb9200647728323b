#pragma once
// Version information of a program file: the record that the build embeds in every
// executable's ".pinloom_version" ELF section (see cmake/version_record.cpp.in).

#include <string>

// Reads the InternalName and FileVersion entries of the file's version information.
// Returns false, leaving both out-parameters untouched, when the file has none; true
// when both entries are non-empty.
bool ReadVersionInfo(const std::string& fileName, std::string& internalName,
                     std::string& fileVersion);

// The running program's own file version, empty when it has no version information.
std::string GetAppVersion();

// Full path of the running program's file, and its directory with a trailing "/".
std::string ProgramFileName();
std::string ProgramDirectory();
