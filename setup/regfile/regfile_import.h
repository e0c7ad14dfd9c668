// Registry files of a package: read from the setup folder and written into
// the registry, each value recorded in install.log.
#pragma once

#include <functional>
#include <string>

#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"

struct TRegImportContext {
  std::string SourcePath;  // folder of the registry files, ending with a backslash
  std::string InstallDir;  // ending with a backslash
  TIniFile32* Log = nullptr;  // nullptr when uninstall support is off
  // Shows one of the parser's messages; empty for the application's plain
  // information box.
  std::function<void(const std::string& text)> ShowMessage;
};

// One registry file, `regFileName` as setup.ini names it (relative to the
// source folder). Never throws: a file that cannot be read is skipped, and a
// registry write that is refused ends this file silently.
void ImportRegFile(const std::string& regFileName, const TRegImportContext& context);

// RegFile0, RegFile1, ... of the package section, up to the first empty one.
void ImportPackageRegFiles(const TIniFile32& setupIni, const std::string& section, const TInst& inst,
                           const std::string& installDir, TIniFile32* log);
