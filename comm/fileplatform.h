// Files, folders and the program's own places, the same on every platform: the implementations are
// in posix/fileplatform.cpp and win32/fileplatform.cpp. Paths are UTF-8 text on both.
//
// Errors are errno values (ENOENT, EACCES, EISDIR, EFBIG, ENOSPC ...; Windows errors are mapped to
// the nearest one) or the two ERR_ codes below, so that one message table serves both platforms.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace ZFile {

constexpr int ERR_NOT_REGULAR = -1001; // a FIFO, device, socket or anything else that is not a file
constexpr int ERR_DANGLING = -1003;    // a symbolic link to nothing

// Reads a whole regular file. Nothing that is not a regular file is opened (opening a device can
// already do something to it), none is read past nMaxBytes (EFBIG). 0 or the reason.
int ReadWhole(const std::string& path, std::size_t nMaxBytes, std::string* pText);

// 0 when a save may put a file at path: a new name in a folder that takes it, or a writable regular
// file (through a symbolic link, the file it points to). Otherwise the reason.
int CheckSaveTarget(const std::string& path);

// Saves text to path so that the old file survives every failure: the text goes to a temporary beside
// the target, is flushed to the disk, and then takes the target's place in one step (keeping the
// target's permissions). A link is followed, not replaced. Temporaries that earlier saves of the same
// target left when their process died are removed. 0 or the reason.
int ReplaceWithText(const std::string& path, std::string_view text);

// 0 when something exists under path, ENOENT or ENOTDIR when nothing does, otherwise the error of
// looking. Nothing is opened.
int Probe(const std::string& path);

// Whether something is at path, and if so a text that names it (true) or not (false, text empty):
// the same text for the same file, another one once the file is replaced by a new one at the same
// path, made anew or, where path is a link, once the link or what it leads to is. A link to nothing is
// not there. It tells a port that went away and came back between two looks from one that stayed.
// POSIX: the inode and change time of path, and the device and inode behind it. Windows: the volume
// serial number, file index, creation and last write time of the file (and of a link at path); a
// device name (COM7, \\.\COM7) is not opened: its DOS device target names it.
bool Identity(const std::string& path, std::string* pIdentity);

// std::fopen with a UTF-8 name (on Windows the narrow C library would take the ANSI code page).
std::FILE* OpenFile(const std::string& path, const char* pszMode);

} // namespace ZFile

namespace ZUtils {

// The folder of the running executable; empty when it cannot be read.
std::string ExecutableDir();

// The folder where the program keeps what it writes of its own (not the user's presets): on Windows
// the user's local application data, elsewhere $XDG_DATA_HOME or ~/.local/share; each followed by
// "MLB-8 DSP Manager". Not created here; empty when there is no such place.
std::string UserDataDir();

} // namespace ZUtils
