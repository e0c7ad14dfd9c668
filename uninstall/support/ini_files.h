// The process-wide table of open INI files, and the file-level functions
// through which the uninstaller reaches the log and every INI file it edits.
// One thread at a time: the uninstaller hands the table from its main thread to
// the removal thread and back, never sharing it.
#pragma once

#include <string>
#include <string_view>

#include "uninstall/support/section_ini.h"

// Each throws EInOutError when the file exists but cannot be read.
std::string IniReadString(const std::string& file, std::string_view section, std::string_view ident,
                          std::string_view defaultValue);
// Fills `strings` as TSectionIniFile::ReadSectionValues does; a missing
// section leaves it as it is.
void IniReadSectionValues(const std::string& file, std::string_view section, TStrings& strings);
// Takes the entry out of the image; it reaches the disk when the file is closed.
void IniDeleteKey(const std::string& file, std::string_view section, std::string_view ident);
// Reads the journal that a killed installation left beside a log into the
// log's image, as the setup program would have folded it in; the log on disk
// is not changed. Nothing when there is no journal.
void IniApplyJournal(const std::string& file);
// Writes back pending changes and forgets the file.
void IniCloseFile(const std::string& file);
// The same for every open file; the table is empty afterwards.
void IniCloseAll();
// How many files the table holds (for tests).
size_t IniOpenFileCount();
