#include "bench/app/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

int CreateNewFile(const std::string& path) {
    // Not inherited: measuring children are started while outputs exist.
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

std::string SystemPathFault(const std::string& path) {
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return "";
    const std::string parent = std::filesystem::path(path).parent_path().string();
    struct stat folder {};
    if (stat(parent.empty() ? "." : parent.c_str(), &folder) != 0) return "";
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!shared || link.st_uid == geteuid() || link.st_uid == folder.st_uid) return "";
    return "it is a link that another user owns in a shared sticky folder, which is never followed";
}

bool WriteAndClose(int handle, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(handle, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        done += static_cast<std::size_t>(written);
    }
    const bool closed = close(handle) == 0;
    return closed && done == bytes.size();
}
