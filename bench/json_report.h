// The JSON report as a value, for writers that add to it.
#pragma once

#include <nlohmann/json.hpp>

#include "bench/report.h"

nlohmann::json ReportJson(const Report& report);
