// What a save keeps of the file it replaces: a symbolic link stays a link, the owner, group,
// permission bits and ACL stay, and a file the program creates is readable by its owner only,
// whatever the umask. Nothing but a regular file the user may reach is ever replaced.
#include "data_file.h"
#include "save_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::perms permissionsOf(const fs::path& path)
{
    return fs::status(path).permissions() & fs::perms::mask;
}

// The file's access ACL as stored, or nothing where it has none.
std::string accessAclOf(const fs::path& path)
{
    char acl[256];
    const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl);
    return std::string(acl, size > 0 ? static_cast<std::size_t>(size) : 0);
}

class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;

private:
    mode_t previous_;
};

struct LinkCase {
    const char* name;
    // Where the link points, relative to the test's directory, as the link holds it.
    std::vector<const char*> chain;  // each link after the first names the one before
    bool absolute;
};

TEST(SaveThroughLink, TargetGetsTheContentAndTheLinkStays)
{
    const LinkCase cases[] = {
        {"relative link beside the file", {"real.nbd"}, false},
        {"relative link into another directory", {"elsewhere/real.nbd"}, false},
        {"absolute link into another directory", {"elsewhere/real.nbd"}, true},
        {"chain of two links", {"elsewhere/real.nbd", "middle.nbd"}, false},
    };
    EntryTable table = sampleTable(3, 7);
    for (const auto& [name, chain, absolute] : cases) {
        for (const bool targetExists : {true, false}) {
            SCOPED_TRACE(std::string(name) + (targetExists ? "" : ", target missing"));
            TemporaryDirectory directory;
            fs::create_directory(directory.path() / "elsewhere");
            const fs::path real = directory.path() / chain.front();
            if (targetExists) {
                writeFile(real, "old");
                fs::permissions(real, fs::perms(0640));
            }
            fs::path pointee = absolute ? directory.path() / chain.front() : chain.front();
            for (std::size_t i = 1; i < chain.size(); ++i) {
                fs::create_symlink(pointee, directory.path() / chain[i]);
                pointee = chain[i];
            }
            const fs::path link = directory.path() / kDataFileName;
            fs::create_symlink(pointee, link);

            ASSERT_TRUE(DataFile(table, link).save());
            EXPECT_TRUE(fs::is_symlink(link));
            EXPECT_EQ(fs::read_symlink(link), pointee);
            ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(real)));
            EXPECT_EQ(readFile(real), fileBytesOf(table));
            EXPECT_EQ(permissionsOf(real), fs::perms(targetExists ? 0640 : 0600));
            EXPECT_EQ(hiddenFilesIn(directory.path()), std::vector<std::string>{});
            EXPECT_EQ(hiddenFilesIn(directory.path() / "elsewhere"), std::vector<std::string>{});
        }
    }
}

// A save keeps the file's other names: it writes the file itself.
TEST(SaveThroughLink, HardLinksStay)
{
    TemporaryDirectory directory;
    const fs::path file = directory.path() / kDataFileName;
    const fs::path otherName = directory.path() / "other.nbd";
    writeFile(file, "old");
    fs::create_hard_link(file, otherName);
    EntryTable table = sampleTable(2, 14);
    ASSERT_TRUE(DataFile(table, file).save());
    EXPECT_EQ(readFile(otherName), fileBytesOf(table));
    EXPECT_EQ(fs::hard_link_count(file), 2u);
}

// As in /tmp: a link that another user plants in a sticky directory everyone may write.
TEST(SaveThroughLink, OnlyARegularFileTheUserMayReachIsReplaced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs root";
    TemporaryDirectory directory;
    const fs::path file = directory.path() / "shared" / kDataFileName;
    const fs::path victim = directory.path() / "victim";
    fs::create_directory(file.parent_path());
    fs::permissions(file.parent_path(), fs::perms(01777));
    writeFile(victim, "victim");
    fs::create_symlink(victim, file);
    EntryTable table = sampleTable(2, 10);
    ASSERT_EQ(::lchown(file.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(DataFile(table, file).save());
    EXPECT_EQ(readFile(victim), "victim");
    ASSERT_EQ(::lchown(file.c_str(), 0, 0), 0);  // the user's own link is followed
    EXPECT_TRUE(DataFile(table, file).save());
    EXPECT_EQ(readFile(victim), fileBytesOf(table));

    // Nor does a file planted there receive the list, written or renamed over.
    fs::remove(file);
    writeFile(file, "planted");
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(DataFile(table, file).save());
    EXPECT_EQ(readFile(file), "planted");
    EXPECT_EQ(hiddenFilesIn(file.parent_path()), std::vector<std::string>{});

    fs::remove(file);
    ASSERT_EQ(::mknod(file.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);  // as /dev/null
    EXPECT_FALSE(DataFile(table, file).save());
    EXPECT_TRUE(fs::is_character_file(file));
}

// Saved by root, another user's file stays theirs, and keeps its ACL or its lack of one, which
// the directory's default ACL would otherwise fill.
// Looks at the save's temporary file while the rows pass through the current record.
class TemporaryFileWatcher final : public DataFileClient {
public:
    explicit TemporaryFileWatcher(fs::path directory) : directory_(std::move(directory)) {}

    Entry& currentRecord() override { return current_; }
    void currentRecordChanged() override
    {
        for (const std::string& name : hiddenFilesIn(directory_)) {
            struct stat status {};
            ::stat((directory_ / name).c_str(), &status);
            seen.emplace_back(status.st_uid, status.st_mode & 07777);
        }
    }
    void finished() override {}
    bool confirmReplace(ReplaceReason) override { return false; }

    std::vector<std::pair<uid_t, mode_t>> seen;

private:
    fs::path directory_;
    Entry current_;
};

TEST(SavePermissions, OwnerGroupModeAndAclStay)
{
    if (::geteuid() != 0 || std::system("setfacl --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs root and setfacl (package acl)";
    TemporaryDirectory directory;
    const fs::path file = directory.path() / kDataFileName;
    ASSERT_EQ(std::system(("setfacl -d -m u:65534:rw " + directory.path().string()).c_str()), 0);
    writeFile(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    for (const std::string acl : {"-m u:1:r ", "-b "}) {
        ASSERT_EQ(std::system(("setfacl " + acl + file.string()).c_str()), 0);
        ASSERT_EQ(::chmod(file.c_str(), 04660), 0);
        const std::string aclBefore = accessAclOf(file);
        EntryTable table = sampleTable(2, 11);
        TemporaryFileWatcher watcher(directory.path());
        ASSERT_TRUE(DataFile(table, file, &watcher).save());
        // Until it is complete the list is in a file of the saving user's alone, marked as a
        // save's unfinished file.
        const std::pair<uid_t, mode_t> saver(0, S_ISVTX | 0600);
        EXPECT_EQ(watcher.seen, std::vector(2, saver));
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(std::pair(status.st_uid, status.st_gid), std::pair(65534u, 65534u));
        EXPECT_EQ(status.st_mode & 07777, 0660u) << "setuid kept";
        EXPECT_EQ(accessAclOf(file), aclBefore) << acl;
    }
}

TEST(SavePermissions, ExistingFileKeepsItsBits)
{
    for (const auto mode : {0640, 0600, 0644, 0660, 0400}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        TemporaryDirectory directory;
        const fs::path file = directory.path() / kDataFileName;
        writeFile(file, "old");
        fs::permissions(file, fs::perms(mode));
        EntryTable table = sampleTable(2, 8);
        ASSERT_TRUE(DataFile(table, file).save());
        EXPECT_EQ(permissionsOf(file), fs::perms(mode));
    }
}

TEST(SavePermissions, NewFileIsOwnerOnlyWhateverTheUmask)
{
    for (const mode_t mask : {0000, 0022, 0077, 0277}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        const UmaskScope umaskScope(mask);
        TemporaryDirectory directory;
        const fs::path saved = directory.path() / "saved" / kDataFileName;
        const fs::path loaded = directory.path() / "loaded" / kDataFileName;
        fs::create_directories(saved.parent_path());
        fs::create_directories(loaded.parent_path());
        EntryTable table = sampleTable(2, 9);
        ASSERT_TRUE(DataFile(table, saved).save());
        EXPECT_EQ(permissionsOf(saved), fs::perms(0600));
        EntryTable empty;
        DataFile(empty, loaded).load();
        ASSERT_TRUE(fs::exists(loaded)) << "loading did not create the missing file";
        EXPECT_EQ(permissionsOf(loaded), fs::perms(0600));
    }
}

}  // namespace
