// The record forms of install.log, in one place for both programs: the setup
// program composes records with these functions, the uninstaller splits them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_numbers.h"

namespace installlog {

// ---- Section names ------------------------------------------------------

inline constexpr std::string_view kPreRunApp = "PreRunApp";
inline constexpr std::string_view kSharedFiles = "SharedFiles";
inline constexpr std::string_view kShortcuts = "Shortcuts";
inline constexpr std::string_view kAddIni = "AddIni";
inline constexpr std::string_view kRegFonts = "RegFonts";
inline constexpr std::string_view kAddReg = "AddReg";
inline constexpr std::string_view kCreateKeys = "CreateKeys";
inline constexpr std::string_view kRegServers = "RegServers";
inline constexpr std::string_view kCopyFiles = "CopyFiles";
inline constexpr std::string_view kCreateDirs = "CreateDirs";
inline constexpr std::string_view kRunApp = "RunApp";
inline constexpr std::string_view kStrings = "Strings";
inline constexpr std::string_view kDisplay = "Display";
inline constexpr std::string_view kCharset = "Charset";
inline constexpr std::string_view kDialogTitleFont = "DialogTitleFont";

inline constexpr std::string_view kLogFileName = "install.log";
inline constexpr std::string_view kDefaultTitleFont = "Arial,14,0,B";
inline constexpr int kCyrillicCharset = 204;
inline constexpr int kDefaultCharset = 1;

// ---- Processing order ---------------------------------------------------

// How a removal stage takes the object out of a line of its section.
enum class KeyRule {
  LastEquals,   // the text before the last "=" (a path may hold "=")
  FirstEquals,  // the text before the first "=" (the value may hold "=")
  Value,        // the text after the first "=" is the record
  None,         // not a section: the log file itself is deleted here
};

struct RemovalStage {
  std::string_view section;  // empty for the deletion of the log
  KeyRule rule;
  bool deepestFirst;  // sorted, then taken from the last line to the first
  int statusText;     // number of the progress text, 0 when the stage shows none
  bool endsProgressStep;  // the progress bar moves on after this stage
};

// The uninstaller's fixed order, whatever order the sections have in the
// file; the removal runs it stage by stage. The registry's values and keys
// share one step of the progress bar, and the deletion of the log shares the
// last one with the programs run after it: ten steps in all.
inline constexpr std::array<RemovalStage, 12> kRemovalOrder{{
    {kPreRunApp, KeyRule::Value, false, 0, true},
    {kSharedFiles, KeyRule::LastEquals, false, IDS_CHECKING_SHARED, true},
    {kShortcuts, KeyRule::LastEquals, false, IDS_REMOVING_SHORTCUTS, true},
    {kAddIni, KeyRule::FirstEquals, false, IDS_REMOVING_INI, true},
    {kRegFonts, KeyRule::FirstEquals, false, IDS_UNREGISTER_FONTS, true},
    {kAddReg, KeyRule::FirstEquals, false, IDS_REMOVING_VALUES, false},
    {kCreateKeys, KeyRule::LastEquals, true, IDS_REMOVING_KEYS, true},
    {kRegServers, KeyRule::LastEquals, false, IDS_UNREGISTER_SERVERS, true},
    {kCopyFiles, KeyRule::LastEquals, false, IDS_REMOVING_FILES, true},
    {kCreateDirs, KeyRule::LastEquals, true, IDS_REMOVING_FOLDERS, true},
    {{}, KeyRule::None, false, 0, false},
    {kRunApp, KeyRule::Value, false, 0, true},
}};

// The object a line of the stage's section names, by the stage's rule: the
// text before the last "=", before the first "=", or after the first "=".
std::string StageObject(const RemovalStage& stage, std::string_view line);
// The objects of a section's lines in the order the stage takes them.
std::vector<std::string> StageObjects(const RemovalStage& stage, const std::vector<std::string>& lines);

// ---- Composing (the setup program) --------------------------------------

// One line of the log: written with TIniFile32::WriteString(section, key, value).
struct Record {
  std::string section;
  std::string key;
  std::string value;
  bool operator==(const Record&) const = default;
};

Record ShortcutRecord(std::string_view shortcutPath);
Record CreateKeyRecord(std::string_view registryPath);
Record CreateDirRecord(std::string_view folderPath);
Record CopyFileRecord(std::string_view filePath);
Record CharsetRecord(int charset);
// Text `number` (1 to 23) of the uninstaller. Line breaks in `text` become
// "||", so the record stays on one line.
Record StringRecord(int number, std::string_view text);
// A registry value written by the installation: `keyPath` is the root name, a
// backslash and the key path; an empty `valueName` is the key's default value.
// Data bytes that would end the line are replaced by blanks. Nothing when the
// record could not be read back as written (a "=" in the key path or value name).
std::optional<Record> AddRegRecord(std::string_view keyPath, std::string_view valueName,
                                   std::string_view data);

// Whether a record that has `path` as its key and no value (CopyFiles,
// CreateDirs, Shortcuts) reads back as exactly `path`: the reader trims the
// line, removes blanks around the first "=" and drops comment lines, so some
// names the file system holds cannot be recorded as they stand.
bool PathRecordReadsBack(std::string_view path);

// The value as the uninstaller's reader will return it: a value with blanks
// at its ends or enclosed in quotes is enclosed in one more pair of quotes,
// which the reader removes; line breaks become blanks.
std::string ProtectValue(std::string_view value);

// ---- Splitting (the uninstaller) ----------------------------------------

// The text before the last "="; empty when there is none.
std::string EntryPath(std::string_view line);
// The text before the first "="; the whole line when there is none.
std::string EntryName(std::string_view line);
// The text after the first "="; empty when there is none.
std::string EntryValue(std::string_view line);

// Field `n` (from 1) of a comma list. Quotes at the start of a field protect
// commas and stay in the field; a field that begins with an apostrophe is then
// unquoted. A missing field is empty.
std::string GetField(std::string_view text, int n);
// All fields, quotes kept (no unquoting).
std::vector<std::string> SplitFields(std::string_view text);
// When `text` begins with `quote`: the text up to the closing quote, a doubled
// quote standing for one, the rest dropped. Otherwise `text` unchanged.
std::string Dequote(std::string_view text, char quote);

struct RegValuePath {
  std::string keyPath;    // empty when the record names no key
  std::string valueName;  // empty for the default value
};
// Splits an AddReg key at the last backslash outside quotes.
RegValuePath SplitRegValuePath(std::string_view key);

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };
struct RegistryPath {
  RegistryRoot root;
  std::string subKey;  // empty for a bare root
};
std::string AddTrailingBackslash(std::string_view path);
// Removes one trailing backslash, but keeps it on "X:\" and on "\".
std::string RemoveTrailingBackslash(std::string_view path);
// "HKCR", "HKCU", "HKLM", "HKU" in any case; anything else is a key path under
// HKEY_CURRENT_USER.
RegistryPath SplitRegistryPath(std::string_view path);
std::string_view RootName(RegistryRoot root);

// The show commands of the system, by value.
inline constexpr int kShowHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinNoActive = 7;

// A PreRunApp or RunApp value: file, parameters, folder, mode, message, wait flag.
struct ProgramRecord {
  std::string file;
  std::string parameters;
  std::string folder;
  int showCommand = kShowNormal;
  std::string message;
  bool wait = true;
};
ProgramRecord ParseProgramRecord(std::string_view value);

// An AddIni key: INI file, section, entry name.
struct IniEntryRecord {
  std::string file;
  std::string section;
  std::string entry;
};
IniEntryRecord ParseIniEntryRecord(std::string_view key);

// The DialogTitleFont value.
struct FontSpec {
  std::string face;  // at most 31 characters
  int size = 8;
  uint32_t colour = 0;  // red in the lowest byte
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;  // recorded, never drawn
};
FontSpec ParseFontSpec(std::string_view value);
int ParseCharset(std::string_view text);

// "||" becomes a carriage return, from left to right.
std::string ExpandLineBreaks(std::string_view text);
// The Strings key of text `number`.
std::string TextKey(int number);


// The paths of a CreateKeys or CreateDirs section in the order of removal:
// sorted without regard to case, then from the last to the first, so that a
// path always comes before any path it lies in.
std::vector<std::string> DeepestFirst(const std::vector<std::string>& lines);

// Compares without regard to case (code page 1251), for sorting.
int CompareText(std::string_view a, std::string_view b);

}  // namespace installlog
