// Foreseeing a cell's time from the same contender and shape at smaller
// sizes, so that a cell bound to take far too long is not started.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bench/measure/measurement.h"

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
