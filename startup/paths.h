// Paths and files of Sorvane: the program folder, the settings file name, the
// folder of a path and the file test. FolderOfPath is portable; the rest is
// implemented per platform (paths_win32.cpp, paths_posix.cpp).
//
// Paths are byte strings in the system's narrow encoding: the ANSI code page on
// Windows (as the settings file stores them), the file system's bytes on Linux.
#pragma once

#include <cstdio>
#include <string>

namespace sorvane {

// Folder that holds the running program, without a trailing separator except
// at a drive root.
std::string ProgramFolder();

// The separator this platform puts between a folder and a name.
const char* PathSeparator();

// ProgramFolder followed by the separator and "Sorvane.ini"; built anew on
// every call.
std::string SettingsFileName();

// The settings file's name in Folder.
std::string SettingsFileIn(const std::string& Folder);

// Folder part of Path: everything before the last ":", "\" or "/", with one
// trailing "\" or "/" dropped. "C:\photos\sea.jpg" gives "C:\photos", "C:sea.jpg"
// gives "C:", "sea.jpg" gives "".
std::string FolderOfPath(const std::string& Path);

// True when Path names a file that can be opened for reading (one trailing
// separator is ignored). Folders, missing files and the empty path give false.
bool FileExists(const std::string& Path);

// True when Path names a folder (links followed; one trailing separator is
// ignored).
bool FolderExists(const std::string& Path);

// True when Byte starts a double-byte character in the system's narrow
// encoding (Shift-JIS and other Windows code pages; never on Linux).
bool IsLeadByte(unsigned char Byte);

// True when Path ends with a separator byte that is not the second byte of a
// double-byte character.
bool EndsWithSeparator(const std::string& Path);

// Opens a plain file by its narrow-encoded path with fopen's Mode; nullptr on
// failure. Folders, pipes and devices are refused without waiting on them.
std::FILE* OpenFile(const std::string& Path, const char* Mode);

// Writes File's buffers out and asks the system to put them on the disk.
bool FlushToDisk(std::FILE* File);

// Renames From over To, replacing To, and makes the new name last through a
// power cut where the system allows. False on failure (To is then unchanged).
bool ReplaceFileWith(const std::string& From, const std::string& To);

// Deletes a file; false when it could not be deleted.
bool DeleteFileAt(const std::string& Path);

// A name for a new file beside Path that no other process uses right now.
std::string SiblingTempName(const std::string& Path);

// Text in UTF-8 (a settings file saved as UTF-8) in the system's narrow
// encoding. On Windows a path with characters the ANSI code page lacks is
// given by its short name where the file has one; false when the text
// cannot be said in the narrow encoding, or is not UTF-8 (Out is then the
// bytes unchanged). On Linux the narrow encoding is UTF-8 already.
bool Utf8ToNarrow(const std::string& Text, std::string& Out);

// Narrow text in UTF-8; false when it is not valid in the narrow encoding
// (Out is then the bytes unchanged).
bool NarrowToUtf8(const std::string& Text, std::string& Out);

}  // namespace sorvane
