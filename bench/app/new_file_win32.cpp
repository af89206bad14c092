#include "bench/app/new_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>

int CreateNewFile(const std::string& path) {
    // Binary, so a report's line ends stay as written; not inherited by the
    // measuring children.
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool WriteAndClose(int handle, const std::string& bytes) {
    constexpr std::size_t kLargestWrite = 1u << 30;  // _write counts in an unsigned int
    std::size_t done = 0;
    while (done < bytes.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min(bytes.size() - done, kLargestWrite));
        const int written = _write(handle, bytes.data() + done, chunk);
        if (written <= 0) break;
        done += static_cast<std::size_t>(written);
    }
    const bool closed = _close(handle) == 0;
    return closed && done == bytes.size();
}
