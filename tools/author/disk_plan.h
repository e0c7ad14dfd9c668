// How sowell-pack lays packages out on disks: in list order, each package
// whole on one disk, a package whose section names a Volume on the disk of
// that Volume, the others where they fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace author {

struct PlannedPackage {
  std::string volume;  // the Volume the template gives it (code page 1251); empty for none
  uint64_t bytes = 0;  // its archives and registry files
};

struct DiskPlan {
  std::vector<int> diskOf;            // per package, from 0
  std::vector<std::string> volumes;   // per disk: the Volume its packages get (code page 1251)
  std::vector<uint64_t> used;         // per disk, bytes
  std::string error;                  // why no plan fits; empty when it does
};

// `firstDisk`: the bytes disk 1 carries besides packages (the programs, the
// picture, autorun.inf); `everyDisk`: what each disk carries (setup.ini);
// `diskSize`: 0 for no limit.
DiskPlan PlanDisks(const std::vector<PlannedPackage>& packages, uint64_t firstDisk, uint64_t everyDisk,
                   uint64_t diskSize);

// "диск N" in code page 1251, completing the prompt "Вставьте ... и нажмите кнопку ОК".
std::string DiskVolume(int disk);

}  // namespace author
