#include "platform/file_replace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "runtime/api.h"
#include "runtime/core/log.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::FailingFileReplacer;
using platform::ReplaceResult;
using platform::ReplaceStep;
using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::ScopedTempDir;
using testing_support::WriteFileBytes;

const std::string kOld(512, 'o');
const std::string kNew = [] {
  std::string bytes(512, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  return bytes;
}();

// Files in the directory besides the one named.
int OtherFiles(const std::string& directory, const std::string& name) {
  int others = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.path().filename() != name) ++others;
  }
  return others;
}

class FileReplaceTest : public ::testing::Test {
 protected:
  ~FileReplaceTest() override { platform::SetFileReplacer(nullptr); }

  ReplaceResult Replace(const std::string& name, const std::string& bytes) {
    return platform::GetFileReplacer().Replace(dir_.File(name), bytes.data(), bytes.size());
  }

  ScopedTempDir dir_;
};

TEST_F(FileReplaceTest, MakesAndReplacesWholeFiles) {
  ASSERT_TRUE(Replace("save.dat", kOld).ok());
  EXPECT_EQ(ReadFileBytes(dir_.File("save.dat")), kOld);
  ASSERT_TRUE(Replace("save.dat", kNew.substr(0, 50)).ok());
  EXPECT_EQ(ReadFileBytes(dir_.File("save.dat")), kNew.substr(0, 50)) << "a shorter content leaves no tail";
  ASSERT_TRUE(Replace("save.dat", "").ok());
  EXPECT_EQ(ReadFileBytes(dir_.File("save.dat")), "");
  EXPECT_EQ(OtherFiles(dir_.path(), "save.dat"), 0) << "no temporary file is left";
}

TEST_F(FileReplaceTest, TemporaryFileLeftByAnUnfinishedWriteIsNoObstacle) {
  WriteFileBytes(dir_.File("pre.dat"), kOld);
  WriteFileBytes(dir_.File("pre.dat.tmp"), "half a record");
  ASSERT_TRUE(Replace("pre.dat", kNew).ok());
  EXPECT_EQ(ReadFileBytes(dir_.File("pre.dat")), kNew);
  EXPECT_FALSE(FileExists(dir_.File("pre.dat.tmp")));
}

// Whichever step fails, the old file keeps every byte and the temporary file is gone.
TEST_F(FileReplaceTest, FailureAtAnyStepLeavesTheOldFile) {
  struct Case {
    ReplaceStep step;
    int error;
    size_t bytesBefore;
  };
  const Case cases[] = {
      {ReplaceStep::kCreate, EACCES, 0}, {ReplaceStep::kWrite, ENOSPC, 0},
      {ReplaceStep::kWrite, ENOSPC, 100}, {ReplaceStep::kWrite, EFBIG, 511},
      {ReplaceStep::kFlush, EIO, 0},     {ReplaceStep::kClose, EIO, 0},
      {ReplaceStep::kRename, EXDEV, 0},
  };
  FailingFileReplacer failing;
  platform::SetFileReplacer(&failing);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(platform::ReplaceStepName(c.step)) + " after " + std::to_string(c.bytesBefore));
    WriteFileBytes(dir_.File("save1.dat"), kOld);
    failing.FailAt(c.step, c.error, c.bytesBefore);
    const ReplaceResult result = Replace("save1.dat", kNew);
    EXPECT_EQ(result.failedStep, c.step);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(ReadFileBytes(dir_.File("save1.dat")), kOld);
    EXPECT_EQ(OtherFiles(dir_.path(), "save1.dat"), 0);
  }
  failing.Heal();
  ASSERT_TRUE(Replace("save1.dat", kNew).ok());
  EXPECT_EQ(ReadFileBytes(dir_.File("save1.dat")), kNew);
}

// The system's own refusals, as a user's machine gives them.
TEST_F(FileReplaceTest, RealFailuresLeaveTheOldFile) {
  const ReplaceResult noDirectory = Replace("missing/save1.dat", kNew);
  EXPECT_EQ(noDirectory.failedStep, ReplaceStep::kCreate);
  EXPECT_EQ(noDirectory.error, ENOENT);

  std::filesystem::create_directories(dir_.File("pre.dat/inside"));
  const ReplaceResult overDirectory = Replace("pre.dat", kNew);
  EXPECT_EQ(overDirectory.failedStep, ReplaceStep::kRename);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("pre.dat/inside")));
  EXPECT_EQ(OtherFiles(dir_.path(), "pre.dat"), 0);
}

// A file-size limit of 0 makes the first write fail (as a full disk would) in a child
// process; the parent finds the old save whole.
TEST_F(FileReplaceTest, FileSizeLimitFailsTheWriteMidway) {
  WriteFileBytes(dir_.File("save2.dat"), kOld);
  const std::string path = dir_.File("save2.dat");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit none{0, 0};
    if (setrlimit(RLIMIT_FSIZE, &none) != 0) _exit(10);
    const ReplaceResult result = platform::GetFileReplacer().Replace(path, kNew.data(), kNew.size());
    if (result.ok()) _exit(11);
    if (result.failedStep != ReplaceStep::kWrite) _exit(12);
    _exit(result.error == EFBIG ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(path), kOld);
  EXPECT_EQ(OtherFiles(dir_.path(), "save2.dat"), 0);
}

// The runtime's entry logs the failure and leaves errno to the caller.
TEST_F(FileReplaceTest, EntryLogsTheFailureAndKeepsErrno) {
  rt::GetLogState() = rt::LogState{};
  rt::SetLogDirectory(dir_.path());
  rt::LogStart();
  FailingFileReplacer failing;
  failing.FailAt(ReplaceStep::kFlush, EIO);
  platform::SetFileReplacer(&failing);
  WriteFileBytes(dir_.File("pre.dat"), kOld);
  errno = 0;
  EXPECT_EQ(FileReplaceContents("pre.dat", kNew.data(), kNew.size()), -1);
  EXPECT_EQ(errno, EIO);
  const std::string log = ReadFileBytes(dir_.File("Log.txt"));
  rt::GetLogState() = rt::LogState{};
  EXPECT_NE(log.find("pre.dat"), std::string::npos) << log;
  EXPECT_NE(log.find("flush: " + std::string(std::strerror(EIO))), std::string::npos) << log;
  EXPECT_NE(log.find("in FileReplaceContents"), std::string::npos) << log;
  EXPECT_EQ(ReadFileBytes(dir_.File("pre.dat")), kOld);

  failing.Heal();
  EXPECT_EQ(FileReplaceContents("pre.dat", kNew.data(), kNew.size()), 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("pre.dat")), kNew);
}

}  // namespace
