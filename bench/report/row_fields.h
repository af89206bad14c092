// The name of every field of a report's row, once: the JSON writer, the
// CSV columns and the reader of saved reports all spell a field through
// here, so none can be written under one name and read under another.
#pragma once

namespace field {

// Who and where.
inline constexpr char kName[] = "name";
inline constexpr char kLabel[] = "label";
inline constexpr char kReference[] = "reference";
inline constexpr char kThreads[] = "threads";
inline constexpr char kPattern[] = "pattern";
inline constexpr char kCount[] = "count";
inline constexpr char kType[] = "type";  // the element type; reports before types sorted i32

// How it ended (report/outcomes.h), and the details of that end.
inline constexpr char kStatus[] = "status";
inline constexpr char kFailedSlot[] = "failed_slot";
inline constexpr char kFailedCheck[] = "failed_check";
inline constexpr char kHeldValue[] = "held_value";
inline constexpr char kExpectedValue[] = "expected_value";
inline constexpr char kTimeLimit[] = "time_limit_s";
inline constexpr char kPredicted[] = "predicted_ms";
inline constexpr char kCrash[] = "crash";
inline constexpr char kReason[] = "reason";

// The timed runs and their figures.
inline constexpr char kRuns[] = "runs";
inline constexpr char kBatch[] = "batch";
inline constexpr char kDraws[] = "draws";
inline constexpr char kTimes[] = "times_ms";
inline constexpr char kTicks[] = "ticks_ms_per_batch";
inline constexpr char kMin[] = "min_ms";
inline constexpr char kMedian[] = "median_ms";
inline constexpr char kMean[] = "mean_ms";
inline constexpr char kStddev[] = "stddev_ms";
inline constexpr char kMax[] = "max_ms";
inline constexpr char kThroughput[] = "throughput_meps";
inline constexpr char kNsPerElement[] = "ns_per_element";
inline constexpr char kRatio[] = "ratio_to_std_sort";

// The counting pass (--operations): an object of its own in JSON, columns
// of the row in CSV.
inline constexpr char kOperations[] = "operations";
inline constexpr char kOperationsStatus[] = "operations_status";
inline constexpr char kComparisons[] = "comparisons";
inline constexpr char kExchanges[] = "exchanges";
inline constexpr char kCalls[] = "calls";
inline constexpr char kDepth[] = "depth";
inline constexpr char kFrameBytes[] = "frame_bytes";
inline constexpr char kComparisonsPerElement[] = "comparisons_per_element";
inline constexpr char kExchangesPerElement[] = "exchanges_per_element";
inline constexpr char kComparisonsPerNLog2N[] = "comparisons_per_n_log2_n";
inline constexpr char kStackBytes[] = "stack_bytes";
inline constexpr char kOverWindowStack[] = "over_window_stack";

// The machine counts (--machine-counts): an object of its own in JSON,
// columns of the row in CSV; kMachineCountNames (machine_figures.h) pairs
// the whole counts with their names.
inline constexpr char kMachineCounts[] = "machine_counts";
inline constexpr char kInstructions[] = "instructions";
inline constexpr char kConditionalBranches[] = "conditional_branches";
inline constexpr char kConditionalMispredicted[] = "conditional_mispredicted";
inline constexpr char kIndirectBranches[] = "indirect_branches";
inline constexpr char kIndirectMispredicted[] = "indirect_mispredicted";
inline constexpr char kFirstLevelMisses[] = "d1_misses";
inline constexpr char kLastLevelMisses[] = "ll_misses";
inline constexpr char kMachineStatus[] = "machine_status";
inline constexpr char kMachineReason[] = "machine_reason";
inline constexpr char kInstructionsPerElement[] = "instructions_per_element";
inline constexpr char kBranchesPerElement[] = "conditional_branches_per_element";
inline constexpr char kBranchMissesPerElement[] = "conditional_mispredicted_per_element";
inline constexpr char kFirstLevelMissesPerElement[] = "d1_misses_per_element";
inline constexpr char kLastLevelMissesPerElement[] = "ll_misses_per_element";

// Each contender's summary over the matrix (report/summary.h): objects of
// the report's "summary" in JSON, columns of each of its rows in CSV.
inline constexpr char kSummary[] = "summary";
inline constexpr char kLoaded[] = "loaded";
inline constexpr char kCells[] = "cells";
inline constexpr char kUnfinished[] = "failed";
inline constexpr char kOverall[] = "overall_ratio";
inline constexpr char kOverallLow[] = "overall_low";
inline constexpr char kOverallHigh[] = "overall_high";
inline constexpr char kBest[] = "best";
inline constexpr char kWorst[] = "worst";

}  // namespace field
