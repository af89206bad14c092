#include "bench/app/new_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

int CreateNewFile(const std::string& path) {
    // Not inherited: measuring children are started while outputs exist.
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
