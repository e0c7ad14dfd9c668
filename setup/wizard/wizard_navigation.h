// The wizard's page order and the rules of its buttons and component list.
// No window code: the main form maps these onto its controls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizard {

// Page indexes, in the order of the page stack.
enum Page : int {
  kWelcomePage = 0,
  kFolderPage = 1,
  kTypePage = 2,
  kComponentPage = 3,
  kLanguagePage = 4,
  kShortcutPage = 5,
  kReadyPage = 6,
  kProgressPage = 7,
  kPageCount = 8,
};

}  // namespace wizard

// Position in PageSequence plus the page actually shown; the two differ only
// while the component page, a side branch of the install-type page, is shown.
class TWizardNavigation {
 public:
  // A sequence without usable digits still ends on the progress page.
  explicit TWizardNavigation(std::string pageSequence);

  // Each returns the page that is current afterwards.
  int Start();
  int Next();                         // B_nextClick
  int Back();                         // B_backClick
  int InstallTypeNext(bool custom);   // Button7Click
  int ComponentBack();                // Button11Click

  int CurrentPage() const { return page_; }
  int PagePosition() const { return position_; }
  const std::string& PageSequence() const { return sequence_; }

 private:
  int PageAt(int position) const { return sequence_[position - 1] - '0'; }
  int MoveTo(int position);

  std::string sequence_;
  int position_ = 1;
  int page_ = wizard::kProgressPage;
};

// One item of the component list: package i of [Packages].
struct TCheckItem {
  std::string Text;
  bool Checked = true;
  bool Required = false;  // always checked; no click changes it
};

// One click on item `index`: flips its mark unless it is required or absent.
// Returns whether the mark changed.
bool ToggleCheckItem(std::vector<TCheckItem>& items, int index);

// RB_fullClick: every item from the second on is checked; the first keeps its mark.
void CheckAllButFirst(std::vector<TCheckItem>& items);

// The folder picked with Browse, a backslash when it lacks one, then InstallFolder.
std::string AppendInstallFolder(const std::string& chosen, const std::string& installFolder);

// An install folder of nothing but blanks cannot be installed into.
bool IsBlankInstallFolder(std::string_view folder);
