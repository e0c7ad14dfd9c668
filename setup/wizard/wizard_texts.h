// The wizard's own words: page texts, header titles and questions, in code page 1251.
#pragma once

#include <string>

#include "setup/wizard/wizard_navigation.h"

// Texts of pages 0 to 7 and of the finish panel; each splices in the product name.
struct TPageTexts {
  std::string Page[wizard::kPageCount];
  std::string Finish;
  std::string IncompleteFinish;  // when something could not be installed
};

TPageTexts BuildPageTexts(const std::string& programName);

// Header title set when a page is entered; empty for the progress page,
// whose title belongs to the installation run.
std::string PageTitle(int page);

namespace wizard_text {

// The title above the pages:
extern const char kFirstTitle[];        // before any page is entered
extern const char kInstallingTitle[];   // while the run works
extern const char kFinishedTitle[];     // after the run
extern const char kIncompleteTitle[];   // after a run that could not install everything
extern const char kConfirmCaption[];
extern const char kConfirmCancel[];
extern const char kWarningCaption[];
extern const char kBlankFolder[];       // Next on the install-folder page with nothing typed
extern const char kNoFolderToRun[];     // progress page reached without an install folder

}  // namespace wizard_text
