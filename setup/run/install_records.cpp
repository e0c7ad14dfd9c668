#include "setup/run/install_records.h"

#include <string>

#include "setup/run/inifiles32.h"

namespace installrecords {

namespace {

std::string RegistryPath(std::string_view rootName, std::string_view subKey) {
  std::string path(rootName);
  if (!subKey.empty()) path.append("\\").append(subKey);
  return path;
}

}  // namespace

std::optional<Record> RegKeyRecord(std::string_view rootName, std::string_view subKey) {
  if (subKey.empty()) return std::nullopt;
  return installlog::CreateKeyRecord(RegistryPath(rootName, subKey));
}

std::optional<Record> RegValueRecord(std::string_view rootName, std::string_view subKey,
                                     std::string_view valueName, std::string_view data) {
  return installlog::AddRegRecord(RegistryPath(rootName, subKey), valueName, data);
}

void Write(TIniFile32* log, const std::optional<Record>& record) {
  if (log && record) log->WriteString(record->section, record->key, record->value);
}

void Intend(TIniFile32* log, const std::optional<Record>& record) {
  if (log && record) log->Intend(record->section, record->key, record->value);
}

void Retract(TIniFile32* log, const std::optional<Record>& record) {
  if (log && record) log->Retract(record->section, record->key);
}

}  // namespace installrecords
