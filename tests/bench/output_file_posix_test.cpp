// Outputs in a folder other users share: a link in a sticky, world-writable
// folder is followed only when the user running the tool or the folder's
// owner owns it, the rule Linux holds under fs.protected_symlinks, held by
// the tool whatever the sysctl says; judged before measuring and again as
// the file is written. Files of other users are made with chown, so the
// rows need root; as another user the test says so and skips.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/app/output_file.h"

namespace {

constexpr uid_t kOther = 65534;  // nobody

std::string Text(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(BenchOutputFilePosix, ALinkAnotherUserPutInASharedStickyFolderIsNeverFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "files of another user need root to make";
    const std::filesystem::path root = testing::TempDir() + "orvandel-sticky-test";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "shared");
    const std::filesystem::path victim = root / "victim.json";
    const std::string refusal = "it is a link that another user owns in a shared sticky folder, which is never followed";
    const struct Row {
        const char* what;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    } rows[] = {
        {"another's link in /tmp's mode", 01777, 0, kOther, false},
        {"our own link there", 01777, 0, 0, true},
        {"the folder owner's link", 01777, kOther, kOther, true},
        {"another's link, folder not sticky", 0777, 0, kOther, true},
        {"another's link, folder sticky but not world-writable", 01775, 0, kOther, true},
    };
    for (const Row& row : rows) {
        const std::filesystem::path folder = root / "shared";
        const std::filesystem::path link = folder / "r.json";
        std::filesystem::remove(link);
        std::ofstream(victim) << "keep\n";
        ASSERT_EQ(chown(folder.c_str(), row.folderOwner, 0), 0) << row.what;
        ASSERT_EQ(chmod(folder.c_str(), row.folderMode), 0) << row.what;
        // Free when checked before measuring; the link appears meanwhile.
        EXPECT_EQ(CannotCreate(link.string()), "") << row.what;
        std::filesystem::create_symlink(victim, link);
        ASSERT_EQ(lchown(link.c_str(), row.linkOwner, 0), 0) << row.what;
        EXPECT_EQ(CannotCreate(link.string()), row.followed ? "" : "cannot create " + link.string() + ": " + refusal)
            << row.what;
        const Check written = WriteWholeFile(link.string(), [](std::ostream& out) { out << "report\n"; });
        EXPECT_EQ(static_cast<bool>(written), row.followed) << row.what;
        if (!written) {
            EXPECT_EQ(written.why(), refusal) << row.what;
        }
        EXPECT_EQ(Text(victim), row.followed ? "report\n" : "keep\n") << row.what;
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << row.what << ": the link stays either way";
        // Nothing else is left in the folder: no temporary.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
            << row.what;
    }
    std::filesystem::remove_all(root);
}

// A folder the user may not write: the refusal carries the system's reason,
// before measuring and as the file is written.
TEST(BenchOutputFilePosix, ARefusalFromTheSystemSaysItsReason) {
    const std::filesystem::path folder = testing::TempDir() + "orvandel-closed-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    // Root writes a folder of mode 0555 all the same, but not sysfs's root.
    const std::string closed = geteuid() == 0 ? "/sys/r.json" : (folder / "r.json").string();
    EXPECT_EQ(CannotCreate(closed), "cannot create " + closed + ": Permission denied");
    const Check written = WriteWholeFile(closed, [](std::ostream& out) { out << "x"; });
    ASSERT_FALSE(written);
    EXPECT_EQ(written.why(), "Permission denied");
    chmod(folder.c_str(), 0755);
    std::filesystem::remove_all(folder);
}
