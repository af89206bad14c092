// Windows: a device's reserved name is refused as an output before anything
// is measured, in any case, with any extension and in any folder; a name
// that only looks like one is a file like any other. And a library named by
// a relative path is the one in the current folder, never the DLL of that
// name beside the program.
#include <gtest/gtest.h>

#include <windows.h>


#include <filesystem>
#include <string>
#include <vector>

#include "bench/app/output_file.h"
#include "bench/measure/contenders.h"
#include "bench/measure/sort_library.h"

namespace fs = std::filesystem;

TEST(BenchOutputFileWin32, ADeviceNameIsRefusedWhateverItsCaseFolderOrExtension) {
    const std::string folder = testing::TempDir() + "orvandel-devices";
    fs::create_directories(folder);
    const struct Row {
        std::string path;
        const char* device;  // nullptr: a file like any other
    } rows[] = {
        {"nul.txt", "NUL"},          {"NUL.json", "NUL"},           {"Nul.md", "NUL"},
        {"C:\\nul.json", "NUL"},     {"con.json", "CON"},           {"COM1.svg", "COM1"},
        {"lpt9.csv", "LPT9"},        {"aux", "AUX"},                {"prn.tar.gz", "PRN"},
        {"NUL .txt", "NUL"},         {folder + "\\Con.json", "CON"}, {folder + "/com3.md", "COM3"},
        {"conin$.txt", "CONIN$"},    {"C:nul.json", "NUL"},
        {folder + "\\nul1.txt", nullptr},     {folder + "\\com10.json", nullptr},
        {folder + "\\console.json", nullptr}, {folder + "\\annul.md", nullptr},
        {folder + "\\lpt.csv", nullptr},
    };
    for (const Row& row : rows) {
        const std::string expected =
            row.device ? "cannot create " + row.path + ": it is the name of a device (" + row.device + "), not of a file"
                       : "";
        EXPECT_EQ(CannotCreate(row.path), expected) << row.path;
        if (row.device) {
            EXPECT_FALSE(WriteWholeFile(row.path, [](std::ostream& out) { out << "x"; })) << row.path;
        }
    }
    fs::remove_all(folder);
}

TEST(BenchSortLibraryWin32, ARelativePathIsTheCurrentFoldersNeverTheProgramsDll) {
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    const fs::path programFolder = fs::path(self).parent_path();
    const fs::path work = fs::path(testing::TempDir()) / "orvandel-relative";
    fs::create_directories(work / "sub");
    fs::create_directories(programFolder / "sub");
    // Decoys where LoadLibrary would look first: beside the program.
    const std::vector<fs::path> decoys = {programFolder / "orvandel-which.dll",
                                          programFolder / "sub" / "orvandel-which.dll"};
    for (const fs::path& decoy : decoys)
        fs::copy_file(ORVANDEL_PLUGIN_TEST_SINGLE_SORT, decoy, fs::copy_options::overwrite_existing);
    fs::copy_file(ORVANDEL_PLUGIN_TEST_TWO_SORTS, work / "sub" / "orvandel-which.dll",
                  fs::copy_options::overwrite_existing);
    const fs::path before = fs::current_path();
    const struct Row {
        fs::path from;
        std::string value;
    } rows[] = {
        {work, "sub\\orvandel-which.dll"},
        {work, ".\\sub\\orvandel-which.dll"},
        {work, "sub/orvandel-which.dll"},
        {work / "sub", "orvandel-which.dll"},
        {work / "sub", ".\\orvandel-which.dll"},
    };
    for (const Row& row : rows) {
        fs::current_path(row.from);
        std::vector<Contender> contenders;
        const Check added = AddLibrarySorts({row.value}, contenders);
        ASSERT_TRUE(added) << row.value << ": " << added.why();
        std::vector<std::string> names;
        for (const Contender& c : contenders) names.push_back(c.name);
        EXPECT_EQ(names, (std::vector<std::string>{"Two: insertion", "Two: shell"})) << row.value;
    }
    fs::current_path(before);
    std::error_code ignored;  // a loaded DLL cannot be removed; the decoys were never loaded
    for (const fs::path& decoy : decoys) fs::remove(decoy, ignored);
    fs::remove(programFolder / "sub", ignored);
}
