// What install.log records for the members of a package: each path spelled so
// that the uninstaller reads back the very file that was written, and every
// folder that the extraction created on the way, whether the archive lists it
// or not.
#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class TMemberLog {
 public:
  // The install folder in the ANSI code page, ending with a backslash.
  void SetInstallDir(const std::string& installDir);

  // What to put on record before the library writes the member, so that a
  // kill in the middle of it leaves nothing unrecorded: the folders it will
  // create and the member itself, each spelled as its record will be. A name
  // that needs its short spelling is made here first (an empty file or
  // folder), since only the file system can tell that spelling. Nothing for a
  // folder member that exists already.
  struct TPlan {
    std::vector<std::string> folders;  // outermost first
    std::optional<std::string> member;
  };
  // Before the library writes the member (its relative name, UTF-16).
  TPlan Begin(const std::wstring& name, bool isFolder);

  struct TOutcome {
    std::vector<std::string> createdFolders;  // spelled, outermost first
    std::vector<std::wstring> unspellableFolders;  // created, but no spelling reads back
    bool exists = false;      // the member is on disk
    bool isFolder = false;
    bool wasThere = false;    // a folder member that existed before
    bool madeAhead = false;   // the member was made empty by Begin, not by the library
    std::optional<std::string> spelling;  // of the member, when it exists and can be spelled
  };
  // After the library wrote the member, or failed to.
  TOutcome Finish();
  // Takes off the disk what cannot be recorded: the member, and the folders
  // created for it that no spelling reads back (only when empty).
  void Discard(const TOutcome& outcome);

  // The spelling of a path below the install folder that the log can hold and
  // that names the same file: its own name where the ANSI code page spells it
  // exactly and the log's reader reads it back, else the short (8.3) name of
  // the components that need it. Nothing when there is none.
  std::optional<std::string> Spell(const std::wstring& path) const;

 private:
  // The spelling that needs nothing from the file system: the path's own name,
  // when the code page and the log's reader keep it as it is.
  std::optional<std::string> PlainSpelling(const std::wstring& path) const;

  bool KnownFolder(const std::wstring& path);

  std::string installDir_;
  std::wstring installDirW_;
  std::unordered_set<std::wstring> knownFolders_;  // upper case
  std::vector<std::wstring> missing_;              // folders the member needs that do not exist
  std::wstring member_;                            // full path; empty when the name is unusable
  bool isFolder_ = false;
  bool wasThere_ = false;
  bool madeAhead_ = false;
};
