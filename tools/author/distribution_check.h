// The whole check of a distribution, and the command sowell-check.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/author/findings.h"
#include "tools/author/summary.h"

namespace author {

struct CheckReport {
  Findings findings;
  Summary summary;
};

// `disks`: the folder of a distribution, or its disk folders, disk 1 first.
CheckReport CheckDistribution(const std::vector<std::string>& disks);

// The disks of the folders named on the command line: one folder that holds
// no setup.ini but folders disk1, disk2, ... stands for those.
std::vector<std::string> DisksOf(const std::vector<std::string>& folders);

// sowell-check [--json] DIR | DISK1 DISK2 ...: prints the findings and the
// summary; 0 when there is no error, 1 when there is, 2 for a wrong call.
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The findings and the summary as sowell-check prints them.
std::string ReportText(const CheckReport& report);
std::string ReportJson(const CheckReport& report);

}  // namespace author
