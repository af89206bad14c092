// Summary statistics of a sample of times. Every function takes the sample
// by value or reference and has no state; each says what it gives for the
// small samples (n = 0, 1, 2) that a short run produces.
#pragma once

#include <vector>

struct Summary {
    int count = 0;
    double min = 0;
    double median = 0;
    double mean = 0;
    double stddev = 0;
    double max = 0;
};

// 0 for an empty sample.
double Min(const std::vector<double>& sample);
double Max(const std::vector<double>& sample);
double Mean(const std::vector<double>& sample);

// The middle value, or the mean of the two middle values for an even count
// (so n = 2 gives their mean); 0 for an empty sample.
double Median(std::vector<double> sample);
// The same, reordering sample instead of copying it: for the bootstrap,
// which takes thousands of medians.
double MedianInPlace(std::vector<double>& sample);

// Sample standard deviation (divides by n - 1); 0 when n < 2, where there
// is no spread to estimate.
double StandardDeviation(const std::vector<double>& sample);

Summary Summarise(const std::vector<double>& sample);
