// The benchmark matrix: every contender on every input shape at every size,
// one guarded cell after another, smaller sizes of a shape first so that
// their times can foretell the larger ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/runner.h"

// A cell predicted to take longer than this many time limits per sort is
// not run.
constexpr double kPredictionMargin = 10;

// The time one sort of count values is foreseen to take, from the rows of
// the same contender and shape at smaller sizes (ascending by count):
// growing from the largest of them as the last two grew (between linear and
// quadratic), or linearly when only one was measured; a row that ran over
// the limit or was predicted over it counts at that time. Empty without
// such rows.
std::optional<double> PredictMs(const std::vector<Measurement>& smaller, std::int32_t count,
                                double timeLimitSeconds);

// Measures contenders on each shape of patterns at each of counts (ascending),
// with settings for the rest; rows come shape by shape, size by size, one
// per contender. Progress counts repetitions over the whole matrix. Returns
// false with error set when the measurement could not go on.
bool MeasureSuite(const std::vector<Contender>& contenders, const MeasureSettings& settings,
                  const std::vector<std::string>& patterns, const std::vector<std::int32_t>& counts,
                  const ProgressReport& progress, std::vector<Measurement>& rows, std::string& error);
