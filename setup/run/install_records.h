// How the shortcut and registry-file steps put their records into
// install.log. The record forms themselves live in common/install_log.h.
#pragma once

#include <optional>
#include <string_view>

#include "common/install_log.h"

class TIniFile32;

namespace installrecords {

using installlog::Record;

// The key of a registry-file value: root name, backslash, key path. Nothing
// for a value in a root key itself: the uninstaller must never be told to
// delete a root.
std::optional<Record> RegKeyRecord(std::string_view rootName, std::string_view subKey);

// The value as the uninstaller will find it; nothing when its name or key
// path could not be read back from the log.
std::optional<Record> RegValueRecord(std::string_view rootName, std::string_view subKey,
                                     std::string_view valueName, std::string_view data);

// Writes the record when there is a log (uninstall support is on) and a record.
// Throws what TIniFile32::WriteString throws.
void Write(TIniFile32* log, const std::optional<Record>& record);
// The same ahead of making the item, and taking it back when it was not made
// (TIniFile32::Intend, TIniFile32::Retract).
void Intend(TIniFile32* log, const std::optional<Record>& record);
void Retract(TIniFile32* log, const std::optional<Record>& record);

}  // namespace installrecords
