// The setup program's exit codes. Without any switch it ends with 0 as it
// always did (a cancelled wizard too) or 1 when setup.ini cannot be read;
// the others tell an unattended caller what happened.
#pragma once

namespace setupcli {

inline constexpr int kInstalled = 0;
inline constexpr int kNoDescription = 1;    // setup.ini missing or unreadable
inline constexpr int kBadCommandLine = 2;   // unknown switch, malformed value, /? or /HELP
inline constexpr int kFolderRefused = 3;    // install folder blank or cannot be created
inline constexpr int kPackageFailed = 4;    // a member, an archive or a disk of a package failed
inline constexpr int kCancelled = 5;        // cancelled by the user (only when a switch was given)
inline constexpr int kAlreadyRunning = 6;   // another copy of the setup program is running

}  // namespace setupcli
