#include "bench/app/terminal.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>

#include <cstdio>
#else
#include <unistd.h>
#endif

namespace {

// Wide enough to blank most lines a previous update left.
constexpr std::size_t kProgressWidth = 60;

}  // namespace

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void ShowProgress(std::ostream& err, std::size_t done, std::size_t total, const std::string& what) {
    std::string text = "[" + std::to_string(done + 1) + "/" + std::to_string(total) + "] " + what;
    text.resize(std::max(text.size(), kProgressWidth), ' ');
    err << '\r' << text << std::flush;
}

void ClearProgress(std::ostream& err) {
    err << '\r' << std::string(kProgressWidth, ' ') << '\r' << std::flush;
}
