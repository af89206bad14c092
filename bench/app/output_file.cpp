#include "bench/app/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>

#include "bench/app/new_file.h"
#include "bench/suite/interruption.h"

namespace fs = std::filesystem;

namespace {

struct Temporary {
    std::string path;
    int handle = -1;  // -1: none could be created
};

constexpr int kNameAttempts = 100;

// Six letters or digits, different in every call and every process.
std::string RandomTag() {
    static std::mt19937_64 generator(std::random_device{}());
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string tag(6, ' ');
    for (char& c : tag) c = kLetters[generator() % (sizeof kLetters - 1)];
    return tag;
}

// The longest file name the file systems the tool writes to take, in bytes.
constexpr std::size_t kLongestFileName = 255;
constexpr std::size_t kTagAndPart = 12;  // ".XXXXXX.part"

// As much of name as leaves room for the tag and ".part", cut where a
// character begins: whatever name fits, its temporary's name fits too.
std::string Stem(const std::string& name) {
    std::size_t cut = std::min(name.size(), kLongestFileName - kTagAndPart);
    while (cut < name.size() && cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

// Every temporary the tool makes is made here: a new file (never one that
// exists, never through a link) named TARGET.XXXXXX.part beside target, in
// the same folder so that the rename that completes it stays on one file
// system, TARGET shortened when the whole would be too long a name. A name
// somebody else took is passed over.
Temporary CreateTemporaryBeside(const std::string& target) {
    const fs::path folder = fs::path(target).parent_path();
    const std::string name = Stem(fs::path(target).filename().string());
    Temporary temporary;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary.path = (folder / (name + "." + RandomTag() + ".part")).string();
        temporary.handle = CreateNewFile(temporary.path);
        if (temporary.handle >= 0 || errno != EEXIST) break;
    }
    // An interruption from here on removes it.
    if (temporary.handle >= 0) WatchTemporaryFile(temporary.path);
    return temporary;
}

// A temporary ends in one of these two: renamed over its target, or
// removed. Returns why the rename failed, or "".
std::string RenameTemporary(const Temporary& temporary, const std::string& target) {
    std::error_code error;
    fs::rename(temporary.path, target, error);
    if (!error) ForgetTemporaryFile(temporary.path);
    return error ? error.message() : "";
}

void RemoveTemporary(const Temporary& temporary) {
    std::error_code ignored;  // nothing more can be done about a temporary that stays
    fs::remove(temporary.path, ignored);
    ForgetTemporaryFile(temporary.path);
}

// The file path's contents go to: path itself, or the regular file a link
// leads to. Returns why there is none, or "". Asked again as the file is
// written, so a link put in its place meanwhile is judged too.
std::string OutputTarget(const std::string& path, std::string& target) {
    const std::string system = SystemPathFault(path);
    if (!system.empty()) return system;
    std::error_code error;
    const fs::file_status entry = fs::symlink_status(path, error);
    if (entry.type() == fs::file_type::not_found) {
        target = path;
        return "";
    }
    if (entry.type() == fs::file_type::none) return error.message();
    const fs::file_status file = fs::status(path, error);
    if (file.type() == fs::file_type::not_found) return "it is a link to nothing";
    if (file.type() != fs::file_type::regular)
        return "it is not a regular file (only a regular file is ever replaced)";
    target = fs::is_symlink(entry) ? fs::canonical(path, error).string() : path;
    return error ? error.message() : "";
}

// path made absolute, with the links and dot folders of its existing part
// resolved; so two spellings of one place compare equal.
fs::path Resolved(const std::string& path, std::error_code& error) {
    const fs::path absolute = fs::absolute(path, error);
    return error ? absolute : fs::weakly_canonical(absolute, error);
}

}  // namespace

std::string CannotCreate(const std::string& path) {
    std::string target;
    const std::string refused = OutputTarget(path, target);
    if (!refused.empty()) return "cannot create " + path + ": " + refused;
    const Temporary probe = CreateTemporaryBeside(target);
    if (probe.handle < 0) return "cannot create " + path + ": " + std::strerror(errno);
    WriteAndClose(probe.handle, "");
    RemoveTemporary(probe);
    return "";
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    return Resolved(path, error).string();
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    const fs::path fullA = Resolved(a, error);
    if (error) return false;
    const fs::path fullB = Resolved(b, error);
    return !error && fullA == fullB;
}

Check WriteWholeFile(const std::string& path, const std::function<void(std::ostream&)>& write) {
    std::string target;
    const std::string refused = OutputTarget(path, target);
    if (!refused.empty()) return Refusal{refused};
    std::ostringstream text;
    write(text);
    if (!text) return Refusal{"the report could not be formatted"};
    const Temporary temporary = CreateTemporaryBeside(target);
    if (temporary.handle < 0) return Refusal{std::strerror(errno)};
    if (!WriteAndClose(temporary.handle, text.str())) {
        const std::string reason = std::strerror(errno);
        RemoveTemporary(temporary);
        return Refusal{reason};
    }
    const std::string renamed = RenameTemporary(temporary, target);
    if (renamed.empty()) return Passed{};
    RemoveTemporary(temporary);
    return Refusal{renamed};
}
