// Fuzzes every routine of the table against std::sort, and every routine's
// steps against the model of its algorithm: the input bytes are read as
// little-endian 32-bit values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sorts/routine_table.h"
#include "tests/support/sort_checks.h"
#include "tests/support/step_trace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::int32_t> values(size / 4);
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::uint8_t* bytes = data + 4 * k;
        values[k] = static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                              std::uint32_t{bytes[2]} << 16 |
                                              std::uint32_t{bytes[3]} << 24);
    }
    for (int k = 0; k < kRoutineCount; ++k) {
        std::string fault = CheckRoutineSorts(RoutineTable[k], values);
        if (fault.empty()) fault = CompareStepsWithModel(k, values);
        if (!fault.empty()) {
            std::fprintf(stderr, "%s\n", fault.c_str());
            std::abort();
        }
    }
    return 0;
}
