#include "bench/stats/statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

double Min(const std::vector<double>& sample) {
    return sample.empty() ? 0 : *std::min_element(sample.begin(), sample.end());
}

double Max(const std::vector<double>& sample) {
    return sample.empty() ? 0 : *std::max_element(sample.begin(), sample.end());
}

double Mean(const std::vector<double>& sample) {
    if (sample.empty()) return 0;
    return std::accumulate(sample.begin(), sample.end(), 0.0) /
           static_cast<double>(sample.size());
}

double Median(std::vector<double> sample) {
    return MedianInPlace(sample);
}

double MedianInPlace(std::vector<double>& sample) {
    if (sample.empty()) return 0;
    const std::size_t middle = sample.size() / 2;
    std::nth_element(sample.begin(), sample.begin() + middle, sample.end());
    const double upper = sample[middle];
    if (sample.size() % 2 == 1) return upper;
    // Even count: the lower middle value is the largest of the lower half.
    const double lower = *std::max_element(sample.begin(), sample.begin() + middle);
    return (lower + upper) / 2;
}

double StandardDeviation(const std::vector<double>& sample) {
    if (sample.size() < 2) return 0;
    const double mean = Mean(sample);
    double squares = 0;
    for (double value : sample) squares += (value - mean) * (value - mean);
    return std::sqrt(squares / static_cast<double>(sample.size() - 1));
}

Summary Summarise(const std::vector<double>& sample) {
    return Summary{static_cast<int>(sample.size()), Min(sample),  Median(sample),
                   Mean(sample), StandardDeviation(sample), Max(sample)};
}
