#include "bench/app/output_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

std::string PartialPath(const std::string& path) {
    return path + ".part";
}

bool CanCreate(const std::string& path) {
    const std::string partial = PartialPath(path);
    const bool created = static_cast<bool>(std::ofstream(partial, std::ios::binary));
    std::remove(partial.c_str());
    return created && !std::filesystem::is_directory(path);
}

bool WriteWholeFile(const std::string& path, const std::function<void(std::ostream&)>& write) {
    const std::string partial = PartialPath(path);
    std::ofstream file(partial, std::ios::binary);
    if (file) write(file);
    file.close();
    std::error_code renamed;
    if (file) std::filesystem::rename(partial, path, renamed);
    if (file && !renamed) return true;
    std::remove(partial.c_str());
    return false;
}
