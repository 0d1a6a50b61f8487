// The profile layer against what the file system can put at a path: files it
// must not use, failures in the middle of a write, links, and the deletion
// and existence tests. Also the program directory.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include "platform/profile_file.h"
#include "platform/profile_storage.h"
#include "platform/program_directory.h"
#include "support/temp_directory.h"

namespace morvessa {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TestDirectory;
using testing::WriteFileBytes;

constexpr std::size_t kLargeBuffer = 10240;

// The names in a directory, to see that no temporary file was left behind.
std::vector<std::string> EntryNames(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A valid profile text padded with comment lines to exactly `size` bytes.
Text ProfileTextOfSize(std::size_t size) {
  Text text = "[s]\r\nk=v\r\n;";
  text.resize(size - 2, 'x');
  return text + "\r\n";
}

// --- things at the path that are not usable profile files --------------------

struct UnusableCase {
  const char* name;
  std::function<void(const fs::path&)> make;
};

void PrintTo(const UnusableCase& c, std::ostream* os) { *os << c.name; }

class ProfileUnusableFileTest : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(ProfileUnusableFileTest, ReadsAsMissingAndIsNeverRewritten) {
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  GetParam().make(path);
  const fs::file_type typeBefore = fs::symlink_status(path).type();
  const Text bytesBefore = fs::is_regular_file(path) ? ReadFileBytes(path) : Text();

  EXPECT_EQ(ReadProfileString(path, "s", "k", "DEFAULT", kLargeBuffer), "DEFAULT");
  EXPECT_FALSE(WriteProfileString(path, "s", "k", "new"));

  EXPECT_EQ(fs::symlink_status(path).type(), typeBefore);
  if (typeBefore == fs::file_type::regular) {
    EXPECT_TRUE(ReadFileBytes(path) == bytesBefore);
  }
  EXPECT_EQ(EntryNames(directory.Path()), std::vector<std::string>{"settings.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileUnusableFileTest,
    ::testing::Values(
        UnusableCase{"BinaryFile", [](const fs::path& p) { WriteFileBytes(p, Text("[s]\r\nk=v\r\n\0\x01\xFF", 13)); }},
        UnusableCase{"Utf16File", [](const fs::path& p) { WriteFileBytes(p, Text("\xFF\xFE[\0s\0]\0", 8)); }},
        UnusableCase{"LargerThanLimit",
                     [](const fs::path& p) { WriteFileBytes(p, ProfileTextOfSize(kProfileFileSizeLimit + 1)); }},
        UnusableCase{"Directory", [](const fs::path& p) { fs::create_directory(p); }},
        // Opening a FIFO for reading would wait for a writer forever.
        UnusableCase{"Fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFileSystem, FileOfExactlyTheLimitIsUsed) {
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  WriteFileBytes(path, ProfileTextOfSize(kProfileFileSizeLimit));
  EXPECT_EQ(ReadProfileString(path, "s", "k", "", kLargeBuffer), "v");
}

// --- failing writes lose nothing -----------------------------------------------

// Root writes into read-only directories; then the write is tried by a child
// process that has given up root for the unprivileged user "nobody".
TEST(ProfileFileSystem, WriteInReadOnlyDirectoryFailsAndKeepsFile) {
  TestDirectory directory;
  const bool asRoot = testing::ReadOnlyDirectoriesAreWritable(directory.Path());
  const auto path = directory.Path() / "settings.ini";
  WriteFileBytes(path, "[s]\r\nk=old\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(directory.Path().c_str(), 0555), 0);
  if (!asRoot) {
    EXPECT_FALSE(WriteProfileString(path, "s", "k", "new"));
  } else {
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
      ::_exit(WriteProfileString(path, "s", "k", "new") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write reported success; 2: could not give up root";
  }
  EXPECT_EQ(ReadFileBytes(path), "[s]\r\nk=old\r\n");
  EXPECT_EQ(EntryNames(directory.Path()), std::vector<std::string>{"settings.ini"});
}

// A disk that fills up in the middle of the write, simulated with a file size
// limit (which binds root too) in a child process, so that the limit and the
// ignored SIGXFSZ do not touch the test runner.
TEST(ProfileFileSystem, WriteThatRunsOutOfSpaceKeepsOldFileWhole) {
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  const Text original = "[s]\r\nk=old\r\nother=kept\r\n";
  WriteFileBytes(path, original);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = WriteProfileString(path, "s", "k", Text(100000, 'x'));
    ::_exit(written ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_EQ(EntryNames(directory.Path()), std::vector<std::string>{"settings.ini"});
}

TEST(ProfileFileSystem, WriteInMissingDirectoryFailsAndCreatesNothing) {
  TestDirectory directory;
  EXPECT_FALSE(WriteProfileString(directory.Path() / "missing" / "settings.ini", "s", "k", "v"));
  EXPECT_TRUE(fs::is_empty(directory.Path()));
}

// --- a successful write ------------------------------------------------------------

TEST(ProfileFileSystem, WriteKeepsPermissionsAndLeavesNoTemporaryFile) {
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  WriteFileBytes(path, "[s]\r\nk=old\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteProfileString(path, "s", "k", "new"));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
  EXPECT_EQ(EntryNames(directory.Path()), std::vector<std::string>{"settings.ini"});
}

TEST(ProfileFileSystem, WriteGoesThroughSymbolicLink) {
  TestDirectory directory;
  const auto real = directory.Path() / "real.ini";
  const auto link = directory.Path() / "settings.ini";
  WriteFileBytes(real, "[s]\r\nk=old\r\n");
  fs::create_symlink(real, link);
  ASSERT_TRUE(WriteProfileString(link, "s", "k", "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(real), "[s]\r\nk=new\r\n");
}

TEST(ProfileFileSystem, NonAsciiFileName) {
  TestDirectory directory;
  const auto path = directory.Path() / fs::path(u8"配置.ini");
  ASSERT_TRUE(WriteProfileString(path, "config", "k", "v"));
  EXPECT_TRUE(fs::is_regular_file(directory.Path() / "\xE9\x85\x8D\xE7\xBD\xAE.ini"));  // UTF-8 on disk
  EXPECT_EQ(ReadProfileString(path, "config", "k", "", kLargeBuffer), "v");
}

// --- deletion and existence -------------------------------------------------------

TEST(ProfileFileSystem, DeleteRemovesFilesOnly) {
  TestDirectory directory;
  const auto file = directory.Path() / "file.ini";
  const auto folder = directory.Path() / "folder.ini";
  WriteFileBytes(file, "x");
  fs::create_directory(folder);

  EXPECT_TRUE(DeleteFileAt(file));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(DeleteFileAt(file));
  EXPECT_FALSE(DeleteFileAt(folder));  // even an empty directory stays
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST(ProfileFileSystem, ExistsForAnyEntryOfThatName) {
  TestDirectory directory;
  const auto file = directory.Path() / "file.ini";
  const auto folder = directory.Path() / "folder.ini";
  const auto dangling = directory.Path() / "dangling.ini";
  WriteFileBytes(file, "");
  fs::create_directory(folder);
  fs::create_symlink(directory.Path() / "nowhere", dangling);

  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(PathExists(folder));
  EXPECT_TRUE(PathExists(dangling));
  EXPECT_FALSE(PathExists(directory.Path() / "missing.ini"));
  EXPECT_FALSE(PathExists(file / "below-a-file.ini"));
}

// --- the program directory -----------------------------------------------------------

TEST(ProgramDirectory, HoldsThisExecutable) {
  const fs::path directory = ProgramDirectory();
  EXPECT_TRUE(directory.is_absolute());
  EXPECT_NE(directory.native().back(), '/');
  EXPECT_TRUE(fs::is_regular_file(directory / "profile_test"));
}

}  // namespace
}  // namespace morvessa
