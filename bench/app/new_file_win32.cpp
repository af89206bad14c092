#include "bench/app/new_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <iterator>

int CreateNewFile(const std::string& path) {
    // Binary, so a report's line ends stay as written; not inherited by the
    // measuring children.
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

std::string SystemPathFault(const std::string& path) {
    // The device is the file name up to its first dot, trailing spaces
    // ignored: "nul.txt", "NUL .json" and "C:\\x\\Nul.md" all name NUL.
    const std::size_t start = path.find_last_of("/\\:") + 1;  // npos + 1 is 0
    std::string name = path.substr(start, path.find('.', start) - start);
    name.erase(name.find_last_not_of(' ') + 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    const bool named = std::find(std::begin(kDevices), std::end(kDevices), name) != std::end(kDevices);
    // COM and LPT with a digit, or a superscript 1, 2 or 3 (Latin-1 or UTF-8).
    const std::string port = name.substr(0, 3);
    const std::string number = name.size() > 3 ? name.substr(3) : "";
    static const char* const kNumbers[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xb9", "\xb2",
                                           "\xb3", "\xc2\xb9", "\xc2\xb2", "\xc2\xb3"};
    const bool numbered = (port == "COM" || port == "LPT") &&
                          std::find(std::begin(kNumbers), std::end(kNumbers), number) != std::end(kNumbers);
    return named || numbered ? "it is the name of a device (" + name + "), not of a file" : "";
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
