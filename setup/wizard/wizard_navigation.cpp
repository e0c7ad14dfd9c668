#include "setup/wizard/wizard_navigation.h"

#include "common/ansi.h"

TWizardNavigation::TWizardNavigation(std::string pageSequence) {
  for (char c : pageSequence) {
    // "3" is reachable only through the install-type page.
    if (c >= '0' && c <= '7' && c != '3') sequence_ += c;
  }
  if (sequence_.empty() || sequence_.back() != '7') sequence_ += '7';
  page_ = PageAt(1);
}

int TWizardNavigation::MoveTo(int position) {
  if (position < 1) position = 1;  // Back on the first page stays there
  if (position > static_cast<int>(sequence_.size())) position = static_cast<int>(sequence_.size());
  position_ = position;
  page_ = PageAt(position_);
  return page_;
}

int TWizardNavigation::Start() { return MoveTo(1); }

int TWizardNavigation::Next() { return MoveTo(position_ + 1); }

int TWizardNavigation::Back() { return MoveTo(position_ - 1); }

int TWizardNavigation::InstallTypeNext(bool custom) {
  if (!custom) return Next();
  page_ = wizard::kComponentPage;
  return page_;
}

int TWizardNavigation::ComponentBack() {
  page_ = wizard::kTypePage;
  return page_;
}

bool ToggleCheckItem(std::vector<TCheckItem>& items, int index) {
  if (index < 0 || index >= static_cast<int>(items.size())) return false;
  TCheckItem& item = items[index];
  if (item.Required) return false;
  item.Checked = !item.Checked;
  return true;
}

void CheckAllButFirst(std::vector<TCheckItem>& items) {
  for (size_t i = 1; i < items.size(); ++i) items[i].Checked = true;
}

std::string AppendInstallFolder(const std::string& chosen, const std::string& installFolder) {
  std::string path = chosen;
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + installFolder;
}

bool IsBlankInstallFolder(std::string_view folder) { return ansi::Trim(folder).empty(); }
