// The benchmark matrix: every contender on every input shape at every size,
// one guarded cell after another, smaller sizes of a shape first so that
// their times can foretell the larger ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/measurement.h"
#include "bench/measure/refusal.h"
#include "bench/suite/guard.h"

// Measures contenders on each shape of patterns at each of counts (ascending),
// the values sorted as each of types, with settings for the rest; rows come
// type by type, shape by shape, size by size, one per contender. A
// contender that cannot sort a type has a row that says why, and no runs. Progress counts repetitions over the whole matrix. Refuses
// with the reason when the measurement could not go on.
Result<std::vector<Measurement>> MeasureSuite(const std::vector<Contender>& contenders,
                                              const MeasureSettings& settings,
                                              const std::vector<std::string>& patterns,
                                              const std::vector<std::int32_t>& counts,
                                              const std::vector<ElementType>& types,
                                              const ProgressReport& progress);
