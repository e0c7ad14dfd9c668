// Rules of the removal steps that need no system call: what a record names,
// whether it may be touched at all, and what the shared-file step does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace removal {

// The path with the extension of its file name (from the last ".") replaced;
// a name without one gets `extension` appended.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

// The file name's extension, from its last "." (empty when there is none).
std::string_view FileExtension(std::string_view path);


// Paths compared without regard to case (code page 1251), for the steps that
// look up every record of one section in another: a scan of the other
// section per record would grow with the square of the log.
class PathSet {
 public:
  PathSet() = default;
  explicit PathSet(const std::vector<std::string>& paths);
  bool Contains(std::string_view path) const;
  size_t Size() const { return folded_.size(); }

 private:
  std::vector<std::string> folded_;  // upper case, sorted
};

// The kept shared files, each named as the shared-file step names it: by the
// text before the last "=" of its line, so that a path holding "=" is kept
// whole.
PathSet KeptSharedFileSet(const std::vector<std::string>& keptSharedFiles);
// The paths (text before the last "=") of a section's lines.
PathSet EntryPathSet(const std::vector<std::string>& lines);

// A path the file and folder steps may act on: a full path ("X:\..." or
// "\\server\share\..."), not a drive or share root, without "." or ".."
// components and without wildcards outside its last component. A hostile or
// damaged log must not reach anything its records do not name.
bool IsRemovablePath(std::string_view path);

// A file mask (wildcards in its last component) may not sweep a drive root or
// one of the system's own folders; an exact file name there is allowed, since
// shared libraries are installed into the system folder. The wildcards are
// those of the file search: "*", "?", and "<", ">" and '"' on Windows NT.
bool HasWildcards(std::string_view path);
bool IsMaskAllowedIn(std::string_view folder, const std::vector<std::string>& protectedFolders);

// The folder part of a path, with its trailing backslash.
std::string FolderOf(std::string_view path);

// The file of a font record: a name without a folder lies in `fontsFolder`.
std::string FontFilePath(std::string_view file, std::string_view fontsFolder);

// What the shared-file step does with one file of this installation.
enum class SharedFileAction {
  DecrementAndKeep,  // counter above 1: another program still uses it
  Ask,               // counter 1 or less and no "to all" answer yet
  Remove,            // "Yes to all" was given earlier
  Keep,              // "No to all" was given earlier
};

inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kNoToAll = 9;
inline constexpr int kYesToAll = 10;

SharedFileAction DecideSharedFile(int counter, int answerSoFar);
inline bool AnswerRemoves(int answer) { return answer == kAnswerYes || answer == kYesToAll; }

}  // namespace removal
