// A file the system will not load as a library, told for what it is: the
// first bytes of ELF and PE files of several machines, built here field by
// field (the offsets of the two formats' headers, not the code's).
#include <gtest/gtest.h>

#include <string>

#include "bench/measure/library_file.h"

namespace {

void Put(std::string& bytes, std::size_t at, unsigned value, int width) {
    for (int k = 0; k < width; ++k) bytes[at + static_cast<std::size_t>(k)] = static_cast<char>(value >> (8 * k) & 0xff);
}

// An ELF header: magic, class 2 (64-bit), little-endian, e_machine at 18.
std::string Elf(unsigned machine) {
    std::string bytes(64, '\0');
    bytes.replace(0, 4, "\x7f" "ELF");
    bytes[4] = 2;
    bytes[5] = 1;
    Put(bytes, 18, machine, 2);
    return bytes;
}

// A PE file: "MZ", e_lfanew at 0x3c pointing at "PE\0\0", Machine after it.
std::string Pe(unsigned machine, std::size_t header = 0x80) {
    std::string bytes(header + 24, '\0');
    bytes.replace(0, 2, "MZ");
    Put(bytes, 0x3c, static_cast<unsigned>(header), 4);
    bytes.replace(header, 4, std::string("PE\0\0", 4));
    Put(bytes, header + 4, machine, 2);
    return bytes;
}

}  // namespace

TEST(LibraryFile, AFileOfAnotherMachineOrNoLibraryIsToldForWhatItIs) {
    const bool wide = sizeof(void*) == 8;
    const std::string own = wide ? "64-bit x86" : "x86";
    const struct {
        const char* what;
        std::string bytes;
        LibraryFormat format;
        std::string fault;
    } rows[] = {
        {"empty", "", LibraryFormat::kElf, "not a library (an empty file)"},
        {"empty", "", LibraryFormat::kPe, "not a library (an empty file)"},
        {"text", "int main(void) { return 0; }\n", LibraryFormat::kElf, "not a library"},
        {"text", "MZ but short", LibraryFormat::kPe, "not a library"},
        {"ELF cut short", Elf(62).substr(0, 19), LibraryFormat::kElf, "not a library"},
        {"ELF x86-64", Elf(62), LibraryFormat::kElf, wide ? "" : "not a x86 library (64-bit x86)"},
        {"ELF x86", Elf(3), LibraryFormat::kElf, wide ? "not a 64-bit x86 library (x86)" : ""},
        {"ELF AArch64", Elf(183), LibraryFormat::kElf, "not a " + own + " library (AArch64)"},
        {"ELF x86-64 of class 32", [] { std::string b = Elf(62); b[4] = 1; return b; }(), LibraryFormat::kElf,
         wide ? "not a 64-bit x86 library (32-bit ELF)" : "not a x86 library (64-bit x86)"},
        {"ELF RISC-V", Elf(243), LibraryFormat::kElf, "not a " + own + " library (RISC-V)"},
        {"ELF unknown", Elf(9999), LibraryFormat::kElf, "not a " + own + " library (machine 9999)"},
        {"ELF on Windows", Elf(62), LibraryFormat::kPe, "an ELF library, not a Windows DLL"},
        {"PE on Linux", Pe(0x8664), LibraryFormat::kElf, "a Windows DLL, not an ELF library"},
        {"PE x86-64", Pe(0x8664), LibraryFormat::kPe, wide ? "" : "not a x86 library (64-bit x86)"},
        {"PE i686", Pe(0x14c), LibraryFormat::kPe, wide ? "not a 64-bit x86 library (x86)" : ""},
        {"PE ARM64", Pe(0xaa64), LibraryFormat::kPe, "not a " + own + " library (ARM64)"},
        {"PE header past the bytes", Pe(0x8664).substr(0, 0x70), LibraryFormat::kPe, ""},
        {"MZ without PE", std::string("MZ") + std::string(0x3a, '\0') + std::string("\x40\0\0\0", 4) +
                              std::string(32, 'x'),
         LibraryFormat::kPe, "not a library"},
    };
    for (const auto& row : rows) EXPECT_EQ(LibraryBytesFault(row.bytes, row.format), row.fault) << row.what;
}
