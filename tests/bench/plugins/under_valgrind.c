/* Sorts that look at the process valgrind runs them in, for the tests of
 * the machine counts:
 * - "Census sort" writes, when it runs under valgrind and
 *   ORVANDEL_TEST_CENSUS names a file, the program it runs in and every
 *   object loaded into it at that moment ("program PATH", "object NAME"),
 *   then sorts;
 * - "Wide sort" first clears an AVX-512 register, an instruction that
 *   valgrind 3.19 cannot decode on any CPU (the tests run it only where the
 *   CPU has AVX-512F), then sorts. */
#define _GNU_SOURCE
#include <link.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <valgrind/valgrind.h>

#include <orvandel/sort_plugin.h>
#include "shell_sort.h"

static int write_object(struct dl_phdr_info* info, size_t size, void* census) {
    (void)size;
    fprintf((FILE*)census, "object %s\n", info->dlpi_name);
    return 0;
}

static void census_sort(int32_t* first, int32_t* last) {
    const char* path = getenv("ORVANDEL_TEST_CENSUS");
    FILE* census = RUNNING_ON_VALGRIND && path != NULL ? fopen(path, "a") : NULL;
    if (census != NULL) {
        char program[4096];
        const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
        program[length > 0 ? length : 0] = '\0';
        fprintf(census, "program %s\n", program);
        dl_iterate_phdr(write_object, census);
        fclose(census);
    }
    shell_sort(first, last);
}

static void wide_sort(int32_t* first, int32_t* last) {
    __asm__ volatile("vpxord %%zmm0, %%zmm0, %%zmm0" ::: "xmm0");
    shell_sort(first, last);
}

static const struct orvandel_sort_entry sorts[] = {{"Census sort", census_sort}, {"Wide sort", wide_sort}};

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 2, sorts};
