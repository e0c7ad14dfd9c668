#include "tools/author/disk_plan.h"

#include <map>

namespace author {

std::string DiskVolume(int disk) { return "\xE4\xE8\xF1\xEA " + std::to_string(disk + 1); }

DiskPlan PlanDisks(const std::vector<PlannedPackage>& packages, uint64_t firstDisk, uint64_t everyDisk,
                   uint64_t diskSize) {
  DiskPlan plan;
  std::vector<bool> named;  // per disk: a Volume of the template names it
  auto newDisk = [&] {
    plan.used.push_back(everyDisk + (plan.used.empty() ? firstDisk : 0));
    plan.volumes.emplace_back();
    named.push_back(false);
    return static_cast<int>(plan.used.size()) - 1;
  };
  auto fits = [&](int disk, uint64_t bytes) { return diskSize == 0 || plan.used[static_cast<size_t>(disk)] + bytes <= diskSize; };
  int current = newDisk();
  if (diskSize != 0 && plan.used[0] > diskSize) {
    plan.error = "disk 1 cannot even hold the setup program, the library and setup.ini (" +
                 std::to_string(plan.used[0]) + " bytes)";
    return plan;
  }
  std::map<std::string, int> diskOfVolume;
  for (size_t i = 0; i < packages.size(); ++i) {
    const PlannedPackage& p = packages[i];
    int disk = current;
    if (!p.volume.empty()) {
      auto it = diskOfVolume.find(p.volume);
      if (it != diskOfVolume.end()) {
        disk = it->second;
      } else {
        // A disk no Volume has named yet takes this one; otherwise a new disk.
        if (named[static_cast<size_t>(current)]) current = newDisk();
        disk = current;
        named[static_cast<size_t>(disk)] = true;
        plan.volumes[static_cast<size_t>(disk)] = p.volume;
        diskOfVolume[p.volume] = disk;
      }
    } else if (!fits(current, p.bytes)) {
      current = newDisk();
      disk = current;
    }
    if (!fits(disk, p.bytes)) {
      plan.error = "package " + std::to_string(i) + " (" + std::to_string(p.bytes) + " bytes) does not fit on disk " +
                   std::to_string(disk + 1) + ", which holds " + std::to_string(plan.used[static_cast<size_t>(disk)]) +
                   " bytes of a disk of " + std::to_string(diskSize);
      return plan;
    }
    plan.used[static_cast<size_t>(disk)] += p.bytes;
    plan.diskOf.push_back(disk);
  }
  for (size_t disk = 0; disk < plan.volumes.size(); ++disk) {
    if (plan.volumes[disk].empty()) plan.volumes[disk] = DiskVolume(static_cast<int>(disk));
  }
  return plan;
}

}  // namespace author
