// Names an author meant: the nearest known name to a misspelt one, and the
// %words% of a text that the setup program takes for macros or leaves alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace author {

// Edit distance (insertions, deletions, substitutions), ignoring the case of
// Latin letters.
size_t EditDistance(std::string_view a, std::string_view b);

// The candidate nearest to `name` when it is near enough to be what was
// meant (one edit for short names, two for longer ones); empty otherwise.
std::string NearestName(std::string_view name, const std::vector<std::string>& candidates);

// The three macros, as the setup program spells them.
const std::vector<std::string>& MacroNames();

struct MacroWord {
  std::string word;  // with its percent signs
  bool known = false;
};
// Every %Word% (a Latin letter or "_", then letters, digits, "_") in order.
std::vector<MacroWord> MacroWords(std::string_view text);

}  // namespace author
