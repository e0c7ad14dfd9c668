#include "setup/run/run_plan.h"

#include "common/ansi.h"
#include "setup/extraction/extraction_progress.h"
#include "setup/run/macros.h"
#include "setup/run/setup_description.h"
#include "unrar/rar_codes.h"

std::string InstallDirFrom(const std::string& editText) {
  if (ansi::Trim(editText).empty()) return {};
  std::string dir = editText;
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

int32_t CountTotalFiles(const TIniFile32& ini, const std::vector<bool>& checked, bool russian) {
  int64_t total = 0;
  for (size_t i = 0; i < checked.size(); ++i) {
    if (!checked[i]) continue;
    total += ini.ReadInteger(ChoosePackageSection(ini, static_cast<int>(i), russian), "FilesCount", 0);
  }
  // Counts from a hand-written file must not wrap the progress arithmetic.
  if (total > INT32_MAX) return INT32_MAX;
  if (total < 0) return 0;
  return static_cast<int32_t>(total);
}

std::string InsertDiskPrompt(const std::string& volumeName, bool supportUninstall) {
  std::string text = "Вставьте " + volumeName + " и нажмите кнопку ОК";
  if (!supportUninstall) text += ".";
  return text;
}

std::string FirstDiskPrompt() { return "Вставьте диск 1 и нажмите кнопку ОК."; }

std::string FirstDiskMarker(const std::string& sourcePath) { return sourcePath.substr(0, 2) + "\\autorun.inf"; }

std::vector<TRunAppEntry> ReadRunApps(const TIniFile32& ini, const std::string& installDir,
                                      const std::string& sourcePath) {
  std::vector<TRunAppEntry> apps;
  for (int k = 0;; ++k) {
    const std::string n = std::to_string(k);
    TRunAppEntry entry;
    entry.App = ExpandMacros(ini.ReadString("RunApp", "App" + n, ""), installDir, sourcePath);
    if (entry.App.empty()) break;
    entry.Dir = ExpandMacros(ini.ReadString("RunApp", "Dir" + n, ""), installDir, sourcePath);
    if (entry.Dir.empty()) entry.Dir = installDir;
    entry.Wait = ini.ReadBool("RunApp", "Wait" + n, true);
    apps.push_back(std::move(entry));
  }
  return apps;
}

std::vector<std::string> ReadDelFiles(const TIniFile32& ini, const std::string& installDir,
                                      const std::string& sourcePath) {
  std::vector<std::string> files;
  for (const std::string& f : ReadNumberedKeys(ini, "DelFiles", "File")) {
    std::string path = ExpandMacros(f, installDir, sourcePath);
    if (!path.empty()) files.push_back(std::move(path));
  }
  return files;
}

std::string ArchiveCutShortText(const std::string& archive, const std::string& package, int code) {
  std::string reason;
  switch (code) {
    case rar::kNoMemory: reason = "недостаточно памяти"; break;
    case rar::kBadData:
    case rar::kBadArchive: reason = "архив повреждён"; break;
    case rar::kUnknownFormat: reason = "неизвестный формат архива"; break;
    case rar::kOpenError: reason = "архив или его следующий том не найден"; break;
    case rar::kCloseError:
    case rar::kWriteError: reason = "ошибка записи на диск"; break;
    case rar::kReadError: reason = "ошибка чтения"; break;
    case rar::kMissingPassword: reason = "архив защищён паролем"; break;
    case extraction::kLibraryNotLoaded: reason = "не найдена библиотека UnRAR.dll"; break;
    default: reason = "код ошибки " + std::to_string(code); break;
  }
  return "Архив " + archive + " не удалось распаковать до конца: " + reason + ".\nКомпонент \"" + package +
         "\" установлен не полностью.";
}
