// The texts behind deferred deletion: wininit.ini "[Rename]" entries, the
// self-deleting batch file, the run-once rename command, and unique names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace deferred {

// "NUL=" and the short path: delete at the next start.
std::vector<std::string> DeleteEntry(std::string_view shortPath);
// Delete the old target, then move the file there.
std::vector<std::string> MoveEntry(std::string_view shortNewName, std::string_view shortPath);

// wininit.ini with `entry` added to its "[Rename]" section: `oldText` is the
// current file (nothing when there is none). Lines are trimmed; the entry goes
// before the first empty line or next section header after "[Rename]", or at
// the end; without a "[Rename]" line one is appended with the entry.
std::string AddRenameEntry(const std::optional<std::string>& oldText, const std::vector<std::string>& entry);

// The run-once value that gives a moved file its long name at the next log-on.
struct RunOnceRename {
  std::string valueName;
  std::string command;
};
RunOnceRename RunOnceRenameFor(std::string_view shortNewName, std::string_view longFileName);

// The self-deleting batch file (in the program's code page; the caller
// converts it to the OEM code page). Nothing when a path holds a character
// that no file name may hold and that would change the commands: a double
// quote, a wildcard, a line break or a zero byte. With `removeFolder`, the
// program's folder is removed after the program, then each of `foldersAbove`
// in the given order; "rd" removes only a folder that is empty by then. One
// of `foldersAbove` with such a character is left out.
std::optional<std::string> SelfDeletionBatch(std::string_view programPath, std::string_view programFolder,
                                             std::string_view batchPath, bool removeFolder,
                                             const std::vector<std::string>& foldersAbove = {});
// A path written into a batch line: "%" doubled, because the command
// interpreter expands variables even between double quotes.
std::string BatchQuotedPath(std::string_view path);

// The folder of a program file without its trailing backslash, and the
// folder above it with one. Both empty when the path has no folder.
struct SelfDeletionFolders {
  std::string programFolder;
  std::string parentFolder;
};
SelfDeletionFolders FoldersOf(std::string_view programPath);

// A name of `prefix`, eight base-32 digits of the clock, and `suffix`; with
// `shortName` the prefix is cut to four characters and as many digits go.
struct ClockReading {
  int year, dayOfYear, hour, minute, second, milliseconds;
};
std::string UniqueNameCandidate(std::string_view prefix, std::string_view suffix, bool shortName,
                                const ClockReading& clock);

// A find result is a hit: include 0 means every attribute.
bool IsFindHit(uint32_t attributes, uint32_t include, uint32_t exclude, std::string_view name);

}  // namespace deferred
