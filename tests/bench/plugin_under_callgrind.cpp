// The independent check of the machine counts: not the tool, but a small
// program that loads a library of sorts itself, writes the same draw 0 the
// tool's cell sorts, and calls the first sort of the library's typed table,
// a sort of int32_t, on slots 1 ... count - 1, for valgrind --tool=callgrind --toggle-collect=<that
// sort's function> to count. Nothing here switches collection.
//
//     plugin_under_callgrind LIBRARY PATTERN COUNT SEED
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/measure/cell_data.h"
#include "orvandel/sort_plugin.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: plugin_under_callgrind LIBRARY PATTERN COUNT SEED\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    const auto* table = library != nullptr
                            ? static_cast<const orvandel_typed_sort_table*>(dlsym(library, "orvandel_sort_table"))
                            : nullptr;
    if (table == nullptr || table->abi_version != ORVANDEL_TYPED_SORT_ABI_VERSION || table->count < 1 ||
        table->sorts[0].type != ORVANDEL_I32) {
        std::fprintf(stderr, "plugin_under_callgrind: %s: no typed table that begins with a sort of int32_t\n", argv[1]);
        return 2;
    }
    MeasureSettings settings;
    settings.pattern = argv[2];
    settings.count = std::atoi(argv[3]);
    settings.seed = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
    const Result<CellData> generated = GenerateData(settings);
    if (!generated) {
        std::fprintf(stderr, "plugin_under_callgrind: %s\n", generated.why().c_str());
        return 1;
    }
    const CellData& data = *generated;
    std::vector<std::int32_t> slots(static_cast<std::size_t>(data.count) + 1);
    WriteDraw(data, 0, slots.data());
    table->sorts[0].sort.i32(slots.data() + 1, slots.data() + data.count);
    for (std::int32_t k = 2; k < data.count; ++k)
        if (slots[static_cast<std::size_t>(k) - 1] > slots[static_cast<std::size_t>(k)]) return 3;
    return 0;
}
