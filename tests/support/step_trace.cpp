#include "tests/support/step_trace.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <utility>

#include "core/sort_routine.h"
#include "sorts/first_pivot_steps.h"
#include "sorts/sedgewick_steps.h"

namespace {

// One thing a routine did. kPivot: read slot a as its pivot. kCompare:
// compared slot a with the pivot. kExchange: exchanged slots a <= b.
// kCall: was called on (a, b). kStray: anything else, such as comparing
// two slots with each other or touching memory outside the array (a, b:
// the slots involved, -1 for a value that is not a slot).
enum class Act : char { kPivot = 'p', kCompare = 'c', kExchange = 'x', kCall = 'r', kStray = '?' };

struct Event {
    Act act;
    std::int32_t a;
    std::int32_t b;
    bool operator==(const Event& other) const {
        return act == other.act && a == other.a && b == other.b;
    }
};

std::string Describe(const Event& event) {
    std::ostringstream out;
    out << static_cast<char>(event.act) << event.a;
    if (event.act == Act::kExchange || event.act == Act::kCall || event.act == Act::kStray)
        out << ',' << event.b;
    return out.str();
}

// The record of the run in progress: the array being watched and what was
// done to it.
struct TracedSlot;
const TracedSlot* watchedSlots = nullptr;
std::int32_t watchedCount = 0;
std::vector<Event> record;

// A slot whose value moves only by exchanges, and which tells the record
// when it is read as a pivot, compared or exchanged.
struct TracedSlot {
    std::int32_t value;
    explicit TracedSlot(std::int32_t v) : value(v) {}
    TracedSlot(const TracedSlot& other);
    TracedSlot& operator=(const TracedSlot&) = delete;
};

// The slot's index in the watched array, -1 when it is not one of its slots.
std::int32_t SlotIndex(const TracedSlot& slot) {
    const std::less<const TracedSlot*> before;
    if (watchedSlots == nullptr || before(&slot, watchedSlots) ||
        !before(&slot, watchedSlots + watchedCount))
        return -1;
    return static_cast<std::int32_t>(&slot - watchedSlots);
}

TracedSlot::TracedSlot(const TracedSlot& other) : value(other.value) {
    const std::int32_t k = SlotIndex(other);
    if (k >= 0) record.push_back({Act::kPivot, k, 0});
}

// A comparison involves exactly one slot: the other side is the pivot,
// held apart from the array.
bool Compared(const TracedSlot& a, const TracedSlot& b, bool result) {
    const std::int32_t ka = SlotIndex(a);
    const std::int32_t kb = SlotIndex(b);
    if ((ka < 0) == (kb < 0))
        record.push_back({Act::kStray, ka, kb});
    else
        record.push_back({Act::kCompare, std::max(ka, kb), 0});
    return result;
}

bool operator<(const TracedSlot& a, const TracedSlot& b) { return Compared(a, b, a.value < b.value); }
bool operator>(const TracedSlot& a, const TracedSlot& b) { return Compared(a, b, a.value > b.value); }
// Not used by the routines today, but equally valid ways to write a scan.
[[maybe_unused]] bool operator<=(const TracedSlot& a, const TracedSlot& b) {
    return Compared(a, b, a.value <= b.value);
}
[[maybe_unused]] bool operator>=(const TracedSlot& a, const TracedSlot& b) {
    return Compared(a, b, a.value >= b.value);
}

void swap(TracedSlot& a, TracedSlot& b) {
    const std::int32_t ka = SlotIndex(a);
    const std::int32_t kb = SlotIndex(b);
    if (ka < 0 || kb < 0)
        record.push_back({Act::kStray, ka, kb});
    else
        record.push_back({Act::kExchange, std::min(ka, kb), std::max(ka, kb)});
    std::swap(a.value, b.value);
}

struct CallRecorder {
    static void Enter(std::int32_t lo, std::int32_t hi) { record.push_back({Act::kCall, lo, hi}); }
};

// The model: the same record, kept by plain index code over plain values.
struct Model {
    std::vector<std::int32_t> slots;
    std::vector<Event> events;
    int open = 0;      // calls of the model not yet returned
    int deepest = 0;

    void Call(std::int32_t lo, std::int32_t hi) { events.push_back({Act::kCall, lo, hi}); }
    std::int32_t Pivot(std::int32_t k) {
        events.push_back({Act::kPivot, k, 0});
        return slots[k];
    }
    std::int32_t Look(std::int32_t k) {
        events.push_back({Act::kCompare, k, 0});
        return slots[k];
    }
    void Exchange(std::int32_t a, std::int32_t b) {
        events.push_back({Act::kExchange, std::min(a, b), std::max(a, b)});
        std::swap(slots[a], slots[b]);
    }
};

// One call of the model, open from its start to its return.
struct Level {
    Model& m;
    explicit Level(Model& model) : m(model) { m.deepest = std::max(m.deepest, ++m.open); }
    ~Level() { --m.open; }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
};

// Which sub-ranges a member reaches by calling itself: the left one only,
// going on with the right one in the same call, or both, the left first.
enum class Shape { kLeftCalledRightIterated, kBothCalled };

// First slot lo as pivot, one scan from the left; slots larger than the
// pivot go to a region growing from hi down. hi is exclusive; only ranges
// of two slots or more are sorted by a call.
void FirstPivotModel(Model& m, std::int32_t lo, std::int32_t hi, Shape shape) {
    const Level level(m);
    m.Call(lo, hi);
    while (hi - lo >= 2) {
        const std::int32_t p = m.Pivot(lo);
        std::int32_t i = lo + 1;
        std::int32_t j = hi;
        while (i < j) {
            if (m.Look(i) > p) {
                j = j - 1;
                m.Exchange(i, j);
            } else {
                i = i + 1;
            }
        }
        const std::int32_t pivotSlot = i - 1;
        m.Exchange(lo, pivotSlot);
        if (pivotSlot - lo >= 2) FirstPivotModel(m, lo, pivotSlot, shape);
        if (shape == Shape::kBothCalled) {
            if (hi - j >= 2) FirstPivotModel(m, j, hi, shape);
            return;
        }
        lo = j;
    }
}

// Last slot r as pivot; an upward scan stopped by values not below it (the
// pivot itself at the latest) and a downward scan stopped by values not
// above it or at slot l, after comparing it. Both bounds inclusive; every
// sub-range is passed on, empty ones too.
void SedgewickModel(Model& m, std::int32_t l, std::int32_t r, Shape shape) {
    const Level level(m);
    m.Call(l, r);
    while (r > l) {
        const std::int32_t v = m.Pivot(r);
        std::int32_t i = l - 1;
        std::int32_t j = r;
        for (;;) {
            do {
                i = i + 1;
            } while (m.Look(i) < v);
            do {
                j = j - 1;
            } while (m.Look(j) > v && j != l);
            if (i >= j) break;
            m.Exchange(i, j);
        }
        m.Exchange(i, r);
        SedgewickModel(m, l, i - 1, shape);
        if (shape == Shape::kBothCalled) {
            SedgewickModel(m, i + 1, r, shape);
            return;
        }
        l = i + 1;
    }
}

struct StepMember {
    const char* name;
    void (*steps)(TracedSlot* slots, std::int32_t lo, std::int32_t hi);
    void (*model)(Model& m, std::int32_t lo, std::int32_t hi, Shape shape);
    Shape shape;
    BoundForm bounds;
};

const StepMember StepMembers[kStepMemberCount] = {
    {"FirstPivotSortTail", FirstPivotTailSteps<TracedSlot, CallRecorder>, FirstPivotModel,
     Shape::kLeftCalledRightIterated, BoundForm::kExclusiveUpper},
    {"FirstPivotSortUnrolled", FirstPivotUnrolledSteps<TracedSlot, CallRecorder>, FirstPivotModel,
     Shape::kBothCalled, BoundForm::kExclusiveUpper},
    {"SedgewickSortTail", SedgewickTailSteps<TracedSlot, CallRecorder>, SedgewickModel,
     Shape::kLeftCalledRightIterated, BoundForm::kInclusiveUpper},
    {"SedgewickSortUnrolled", SedgewickUnrolledSteps<TracedSlot, CallRecorder>, SedgewickModel,
     Shape::kBothCalled, BoundForm::kInclusiveUpper},
    {"SedgewickSortPlain", SedgewickPlainSteps<TracedSlot, CallRecorder>, SedgewickModel,
     Shape::kBothCalled, BoundForm::kInclusiveUpper},
};

// Guards around the range; a guard sorted in by mistake would move: the
// large ones sit before the range, the small ones after it.
constexpr std::int32_t kGuardCount = 2;

std::vector<std::int32_t> Guarded(const std::vector<std::int32_t>& values) {
    std::vector<std::int32_t> slots(kGuardCount, INT32_MAX);
    slots.insert(slots.end(), values.begin(), values.end());
    slots.insert(slots.end(), kGuardCount, INT32_MIN);
    return slots;
}

std::string Parting(const char* name, const std::vector<std::int32_t>& values,
                    const std::vector<Event>& actual, const std::vector<Event>& expected) {
    const auto part = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = static_cast<std::size_t>(part.first - actual.begin());
    std::ostringstream out;
    out << name << " on {";
    for (const std::int32_t value : values) out << ' ' << value;
    out << " } (slots from " << kGuardCount << "): event " << at << " is ";
    out << (part.first == actual.end() ? "missing" : Describe(*part.first)) << ", model ";
    out << (part.second == expected.end() ? "has none" : Describe(*part.second)) << "; before it:";
    for (std::size_t k = at < 6 ? 0 : at - 6; k < at; ++k) out << ' ' << Describe(actual[k]);
    return out.str();
}

}  // namespace

const char* StepMemberName(int member) { return StepMembers[member].name; }

std::string CompareStepsWithModel(int member, const std::vector<std::int32_t>& values) {
    const StepMember& entry = StepMembers[member];
    const auto lo = kGuardCount;
    const auto hi = UpperBound(entry.bounds, kGuardCount + static_cast<std::int32_t>(values.size()));

    Model model{Guarded(values), {}};
    entry.model(model, lo, hi, entry.shape);

    std::vector<TracedSlot> slots;
    slots.reserve(model.slots.size());
    for (const std::int32_t value : Guarded(values)) slots.emplace_back(value);
    record.clear();
    watchedSlots = slots.data();
    watchedCount = static_cast<std::int32_t>(slots.size());
    entry.steps(slots.data(), lo, hi);
    watchedSlots = nullptr;

    if (!(record == model.events)) return Parting(entry.name, values, record, model.events);
    for (std::size_t k = 0; k < slots.size(); ++k)
        if (slots[k].value != model.slots[k]) return std::string(entry.name) + ": final content differs";
    std::vector<std::int32_t> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    if (model.slots != Guarded(sorted)) return std::string(entry.name) + ": the model does not sort";
    return {};
}

ModelCounts CountWithModel(int member, const std::vector<std::int32_t>& values) {
    const StepMember& entry = StepMembers[member];
    Model model{Guarded(values), {}};
    entry.model(model, kGuardCount,
                UpperBound(entry.bounds, kGuardCount + static_cast<std::int32_t>(values.size())), entry.shape);
    ModelCounts counts;
    for (const Event& event : model.events) {
        counts.comparisons += event.act == Act::kCompare;
        counts.exchanges += event.act == Act::kExchange;
        counts.calls += event.act == Act::kCall;
    }
    counts.depth = static_cast<std::uint64_t>(model.deepest);
    return counts;
}
