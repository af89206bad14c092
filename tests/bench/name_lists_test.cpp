// The names offered for a mistyped one: the cases a person types, and
// every one-edit typo of every name the tool knows against a model that
// counts the edits by their recurrence and tries every known name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/app/option_table.h"
#include "bench/measure/name_lists.h"
#include "bench/measure/patterns.h"
#include "bench/measure/reference_sorts.h"
#include "sorts/routine_table.h"

namespace {

std::size_t ModelEdits(const std::string& a, const std::string& b) {
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> known;
    std::function<std::size_t(std::size_t, std::size_t)> edits = [&](std::size_t i, std::size_t j) {
        if (i == 0 || j == 0) return i + j;
        if (const auto found = known.find({i, j}); found != known.end()) return found->second;
        std::size_t best = std::min({edits(i - 1, j) + 1, edits(i, j - 1) + 1,
                                     edits(i - 1, j - 1) + (a[i - 1] == b[j - 1] ? 0 : 1)});
        if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
            best = std::min(best, edits(i - 2, j - 2) + 1);
        return known[{i, j}] = best;
    };
    return edits(a.size(), b.size());
}

std::vector<std::string> ModelClosest(const std::string& typed, const std::vector<std::string>& known) {
    const auto core = [](std::string name) {
        name.erase(0, name.find_first_not_of('-'));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    const std::string t = core(typed);
    std::vector<std::pair<std::size_t, std::string>> close;
    for (const std::string& name : known) {
        const std::string k = core(name);
        const bool inside = (t.size() >= 3 && k.find(t) != std::string::npos) ||
                            (k.size() >= 3 && t.find(k) != std::string::npos);
        const std::size_t edits = ModelEdits(t, k);
        const bool listed = std::any_of(close.begin(), close.end(), [&](const auto& c) { return c.second == name; });
        if ((inside || edits <= std::max<std::size_t>(1, t.size() / 3)) && !listed) close.emplace_back(edits, name);
    }
    std::stable_sort(close.begin(), close.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> names;
    for (std::size_t k = 0; k < close.size() && k < 3; ++k) names.push_back(close[k].second);
    return names;
}

}  // namespace

TEST(BenchNameLists, MistypedNamesGetTheClosestKnownOnes) {
    const std::vector<std::string> sorts = {"std::sort", "std::stable_sort", "boost::pdqsort", "Qsort C", "SB sort C"};
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"pdqsort", {"boost::pdqsort"}}, {"STD:sort", {"std::sort"}}, {"so", {}}, {"zigzag", {}},
        {"sort", {"Qsort C", "std::sort", "SB sort C"}},  // fewest edits, then in order, three at most
    };
    for (const auto& [typed, closest] : rows) EXPECT_EQ(ClosestNames(typed, sorts), closest) << typed;
}

TEST(BenchNameLists, EveryOneEditTypoAgreesWithTheModel) {
    std::vector<std::vector<std::string>> lists(3);
    for (const OptionEntry& entry : OptionTable()) lists[0].push_back(entry.name);
    for (const RoutineEntry& entry : RoutineTable) lists[1].insert(lists[1].end(), {entry.buttonLabel, entry.caption});
    for (const ReferenceSort& sort : ReferenceSorts()) lists[1].push_back(sort.name);
    for (const InputPattern& pattern : InputPatterns()) lists[2].push_back(pattern.name);
    for (const std::vector<std::string>& known : lists)
        for (const std::string& name : known)
            for (std::size_t at = 0; at + 1 < name.size(); ++at) {
                std::string swapped = name;
                std::swap(swapped[at], swapped[at + 1]);
                for (const std::string& typo : {name.substr(0, at) + name.substr(at + 1), swapped,
                                                name.substr(0, at) + "x" + name.substr(at + 1),
                                                name.substr(0, at) + "z" + name.substr(at)}) {
                    const std::vector<std::string> closest = ClosestNames(typo, known);
                    EXPECT_EQ(closest, ModelClosest(typo, known)) << typo;
                    EXPECT_NE(std::find(closest.begin(), closest.end(), name), closest.end()) << typo;
                }
            }
}
