#include "bench/measure/name_lists.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr std::size_t kMostSuggested = 3;     // more would read as a list, not a guess
constexpr std::size_t kShortestInside = 3;    // "c" or "qs" is inside too many names to point at one
constexpr std::size_t kFar = std::string::npos;

// name in lower case, without the dashes an option begins with.
std::string Core(const std::string& name) {
    std::string core = name.substr(std::min(name.find_first_not_of('-'), name.size()));
    for (char& c : core) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return core;
}

// The edits that make b of a: insertions, removals, replacements, and
// swaps of two neighbours, each counting one (no character edited twice).
std::size_t Edits(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t replaced = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replaced});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// How far the core of a typed name is from a known one's, or kFar when
// they are not close.
std::size_t Distance(const std::string& typed, const std::string& known) {
    const bool typedLonger = typed.size() > known.size();
    const std::string& shorter = typedLonger ? known : typed;
    const std::string& longer = typedLonger ? typed : known;
    // Removing what surrounds it, which no fewer edits can do.
    const std::size_t gap = longer.size() - shorter.size();
    if (shorter.size() >= kShortestInside && longer.find(shorter) != std::string::npos) return gap;
    const std::size_t most = std::max<std::size_t>(1, typed.size() / 3);
    if (gap > most) return kFar;  // as many edits at least
    const std::size_t edits = Edits(typed, known);
    return edits <= most ? edits : kFar;
}

}  // namespace

std::string Listed(const std::vector<std::string>& items, const char* conjunction) {
    std::string text;
    for (std::size_t k = 0; k < items.size(); ++k)
        text += (k == 0 ? "" : k + 1 == items.size() ? std::string(" ") + conjunction + " " : ", ") + items[k];
    return text;
}

std::vector<std::string> ClosestNames(const std::string& typed, const std::vector<std::string>& known) {
    const std::string core = Core(typed);
    std::vector<std::pair<std::size_t, std::string>> close;
    for (const std::string& name : known) {
        const std::size_t distance = Distance(core, Core(name));
        const bool again = std::any_of(close.begin(), close.end(), [&](const auto& c) { return c.second == name; });
        if (distance != kFar && !again) close.emplace_back(distance, name);
    }
    std::stable_sort(close.begin(), close.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t k = 0; k < close.size() && k < kMostSuggested; ++k) names.push_back(close[k].second);
    return names;
}

std::string Suggestion(const std::string& typed, const std::vector<std::string>& known, const std::string& pointer) {
    const std::vector<std::string> names = ClosestNames(typed, known);
    std::string said = names.empty() ? "" : "did you mean " + Listed(names) + "?";
    if (!said.empty() && !pointer.empty()) said += "; ";
    said += pointer;
    return said.empty() ? "" : " (" + said + ")";
}
