#include "bench/measure/library_file.h"

#include <fstream>
#include <iterator>

namespace {

// Both formats put every header field this reads in the first 4 KiB but
// PE's own header, which e_lfanew may place further on.
constexpr std::size_t kHeaderBytes = 4096;

struct Machine {
    unsigned code;
    const char* name;
};

// ELF's e_machine and PE's Machine for the machines a library is likely
// to be built for.
constexpr Machine kElfMachines[] = {{3, "x86"},      {62, "64-bit x86"}, {40, "32-bit ARM"}, {183, "AArch64"},
                                    {243, "RISC-V"}, {8, "MIPS"},        {20, "PowerPC"},    {21, "64-bit PowerPC"},
                                    {22, "IBM Z"}};
constexpr Machine kPeMachines[] = {{0x14c, "x86"}, {0x8664, "64-bit x86"}, {0xaa64, "ARM64"}, {0x1c0, "32-bit ARM"},
                                   {0x1c4, "32-bit ARM"}};

// The build's machine, by the width of its pointers: this tool is built
// for x86 only.
const char* OwnMachine() {
    return sizeof(void*) == 8 ? "64-bit x86" : "x86";
}

unsigned Little(const std::string& bytes, std::size_t at, int width) {
    unsigned value = 0;
    for (int k = width - 1; k >= 0; --k) value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(k)]);
    return value;
}

template <std::size_t N>
std::string MachineName(const Machine (&machines)[N], unsigned code) {
    for (const Machine& machine : machines)
        if (machine.code == code) return machine.name;
    return "machine " + std::to_string(code);
}

// A PE header past the bytes read: some machine, for the system to judge.
constexpr char kUnread[] = "?";

// The machine an ELF or PE header names, or "" when bytes hold neither.
// An ELF file of the build's machine but the other width (the class byte)
// is named by its width.
std::string ElfMachine(const std::string& bytes) {
    if (bytes.size() < 20 || bytes.compare(0, 4, "\x7f" "ELF") != 0) return "";
    const std::string machine = MachineName(kElfMachines, Little(bytes, 18, 2));
    const char ownClass = sizeof(void*) == 8 ? 2 : 1;
    if (machine != OwnMachine() || bytes[4] == ownClass) return machine;
    return bytes[4] == 1 ? "32-bit ELF" : "64-bit ELF";
}

std::string PeMachine(const std::string& bytes) {
    if (bytes.size() < 64 || bytes.compare(0, 2, "MZ") != 0) return "";
    const std::size_t header = Little(bytes, 0x3c, 4);
    if (header > bytes.size() - 6) return kUnread;
    if (bytes.compare(header, 4, std::string("PE\0\0", 4)) != 0) return "";
    return MachineName(kPeMachines, Little(bytes, header + 4, 2));
}

}  // namespace

std::string LibraryBytesFault(const std::string& bytes, LibraryFormat own) {
    if (bytes.empty()) return "not a library (an empty file)";
    const std::string elf = ElfMachine(bytes);
    const std::string pe = PeMachine(bytes);
    if (elf.empty() && pe.empty()) return "not a library";
    if (own == LibraryFormat::kElf && elf.empty()) return "a Windows DLL, not an ELF library";
    if (own == LibraryFormat::kPe && pe.empty()) return "an ELF library, not a Windows DLL";
    const std::string machine = own == LibraryFormat::kElf ? elf : pe;
    return machine == OwnMachine() || machine == kUnread ? "" : std::string("not a ") + OwnMachine() + " library (" + machine + ")";
}

std::string LibraryFileFault(const std::string& path, LibraryFormat own) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "";  // the system says why better
    std::string bytes(kHeaderBytes, '\0');
    file.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return LibraryBytesFault(bytes, own);
}
