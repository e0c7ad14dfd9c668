#include "uninstall/removal_check.h"

#include "common/ansi.h"
#include "common/install_log.h"
#include "uninstall/removal_rules.h"
#include "uninstall/support/reg_path.h"

namespace removalcheck {

namespace {

const installlog::RemovalStage& StageOf(std::string_view section) {
  for (const installlog::RemovalStage& stage : installlog::kRemovalOrder) {
    if (stage.section == section) return stage;
  }
  return installlog::kRemovalOrder.front();
}

bool Acted(const std::string& path) { return removal::IsRemovablePath(path) && !removal::HasWildcards(path); }

// Whether `folder` is `program` or lies above it (both without a trailing backslash).
bool HoldsProgram(const std::string& folder, const std::string& program) {
  if (program.empty()) return false;
  const std::string f = ansi::UpperCase(installlog::RemoveTrailingBackslash(folder));
  const std::string p = ansi::UpperCase(installlog::RemoveTrailingBackslash(program));
  return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\');
}

}  // namespace

TRecorded FromSections(const std::vector<std::string>& copyFiles, const std::vector<std::string>& shortcuts,
                       const std::vector<std::string>& createDirs, const std::vector<std::string>& addReg,
                       const std::vector<std::string>& createKeys) {
  TRecorded r;
  for (const std::string& path : installlog::StageObjects(StageOf(installlog::kCopyFiles), copyFiles)) {
    if (Acted(path)) r.files.push_back(path);
  }
  for (const std::string& path : installlog::StageObjects(StageOf(installlog::kShortcuts), shortcuts)) {
    if (Acted(path)) r.shortcuts.push_back(removal::ChangeFileExt(path, ".lnk"));
  }
  for (const std::string& path : installlog::StageObjects(StageOf(installlog::kCreateDirs), createDirs)) {
    if (Acted(path)) r.folders.push_back(installlog::RemoveTrailingBackslash(path));
  }
  for (const std::string& name : installlog::StageObjects(StageOf(installlog::kAddReg), addReg)) {
    installlog::RegValuePath value = installlog::SplitRegValuePath(name);
    if (installlog::SplitRegistryPath(value.keyPath).subKey.empty()) continue;
    r.values.push_back({value.keyPath, value.valueName});
  }
  for (const std::string& key : installlog::StageObjects(StageOf(installlog::kCreateKeys), createKeys)) {
    if (!regpath::IsProtectedKey(key) && regpath::KeyDeletionOf(key)) r.keys.push_back(key);
  }
  return r;
}

std::vector<TFinding> Outcome(const TRecorded& r, const TProbes& probes,
                                const std::vector<std::string>& keptSharedFiles, const std::string& programFolder) {
  std::vector<TFinding> found;
  const removal::PathSet kept = removal::KeptSharedFileSet(keptSharedFiles);
  auto removed = [&](const std::string& what) { found.push_back({"removed: " + what, false}); };
  for (const std::string& file : r.files) {
    if (!probes.fileExists(file)) {
      removed("file " + file);
      continue;
    }
    if (kept.Contains(file)) {
      found.push_back({"kept shared file: " + file, false});
    } else {
      found.push_back({"not removed: file " + file, true});
    }
  }
  for (const std::string& link : r.shortcuts) {
    if (probes.fileExists(link)) {
      found.push_back({"not removed: shortcut " + link, true});
    } else {
      removed("shortcut " + link);
    }
  }
  for (const std::string& folder : r.folders) {
    if (HoldsProgram(folder, programFolder)) continue;
    if (!probes.folderExists(folder)) {
      removed("folder " + folder);
      continue;
    }
    if (probes.folderEmpty(folder)) {
      found.push_back({"not removed: folder " + folder, true});
    } else {
      found.push_back({"kept folder (it holds what the installation did not make): " + folder, false});
    }
  }
  for (const TRegValue& value : r.values) {
    const std::string what = "registry value " + value.key + " [" + value.name + "]";
    if (probes.valueExists(value.key, value.name)) {
      found.push_back({"not removed: " + what, true});
    } else {
      removed(what);
    }
  }
  for (const std::string& key : r.keys) {
    if (!probes.keyExists(key)) {
      removed("registry key " + key);
      continue;
    }
    if (probes.keyEmpty(key)) {
      found.push_back({"not removed: registry key " + key, true});
    } else {
      found.push_back({"kept registry key (it holds what the installation did not make): " + key, false});
    }
  }
  return found;
}

}  // namespace removalcheck
