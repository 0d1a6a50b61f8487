// End to end: the built morvessa-query against the built
// morvessa-demo-server, both run as processes. The server is started on a
// port the system picks and reports every request target it receives, so a
// test can tell what reached it and that a refused query sent nothing.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/query_command.h"

namespace {

struct ProcessResult {
  int status = -1;  // exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// The environment of this process without MORVESSA_SERVER, plus `extra`.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("MORVESSA_SERVER=", 0) != 0) env.emplace_back(*entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Starts `argv` with its standard output on `outPipe` and its standard error
// on `errPipe` (-1: inherited). Everything exec needs is prepared before the
// fork.
pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& extraEnv, int outPipe, int errPipe) {
  std::vector<std::string> env = ChildEnvironment(extraEnv);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);
  const pid_t pid = fork();
  if (pid == 0) {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    if (outPipe >= 0) dup2(outPipe, 1);
    if (errPipe >= 0) dup2(errPipe, 2);
    execve(argvPointers[0], argvPointers.data(), envPointers.data());
    _exit(127);
  }
  return pid;
}

// Waits for `pid` to end; -1 when it did not start or did not exit normally.
int ExitStatus(pid_t pid) {
  if (pid <= 0) return -1;
  int raw = 0;
  if (waitpid(pid, &raw, 0) != pid) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Runs morvessa-query with `args` to its end.
ProcessResult RunQuery(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {}) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return {};
  std::vector<std::string> argv = {MORVESSA_QUERY_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t pid = Spawn(argv, extraEnv, out[1], err[1]);
  close(out[1]);
  close(err[1]);
  ProcessResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && poll(fds, 2, 30000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  result.status = ExitStatus(pid);
  return result;
}

// morvessa-demo-server on a free port, with the records of `recordsPath`.
class DemoServer {
 public:
  explicit DemoServer(const std::string& recordsPath) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = Spawn({MORVESSA_DEMO_SERVER_EXE, "--port", "0", "--records", recordsPath}, {}, out[1], -1);
    close(out[1]);
    output_ = out[0];
    const std::string first = NextLine();
    const std::string prefix = "listening on http://";
    if (first.rfind(prefix, 0) == 0) address_ = first.substr(prefix.size(), first.find(' ', prefix.size()) - prefix.size());
  }

  ~DemoServer() {
    Stop();
    if (output_ >= 0) close(output_);
  }

  // Stops the server with SIGTERM; its exit status (0 when it stopped
  // cleanly), -1 when it was not running.
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    const int status = ExitStatus(pid_);
    pid_ = -1;
    return status;
  }

  // "127.0.0.1:PORT"; empty when the server did not start.
  const std::string& Address() const { return address_; }

  // The next line the server prints, without its LF; "(nothing)" when none
  // comes within `waitMs`.
  std::string NextLine(int waitMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (buffered_.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd fd{output_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) return "(nothing)";
      char buffer[4096];
      const ssize_t n = read(output_, buffer, sizeof buffer);
      if (n <= 0) return "(nothing)";
      buffered_.append(buffer, static_cast<std::size_t>(n));
    }
    const auto lf = buffered_.find('\n');
    std::string line = buffered_.substr(0, lf);
    buffered_.erase(0, lf + 1);
    return line;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string address_;
  std::string buffered_;
};

const char kRecords[] =
    "# test records\n"
    "repair: R2611020137 | 135790 | R2611020137 | 笔记本 MV-14 | 已寄回客户\n"
    "entry: 2026-11-02 09:41 | 已收到机器。\n"
    "entry: 2026-11-03 14:05 | 检测完成：\"主板\"\\电源 需要更换。\n"
    "\r\n"
    "repair: A B | 135790 | A B | K | S\n"
    "entry: 2026-12-01 | 已登记。\n"
    "repair: R000 | 111111 | R000 | K | S\n";

const std::string kSearchPath = morvessa::kQueryPagePath;

class QueryCliTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char path[] = "/tmp/morvessa-records-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    recordsPath_ = path;
    std::ofstream(recordsPath_, std::ios::binary) << kRecords;
  }
  static void TearDownTestSuite() { std::remove(recordsPath_.c_str()); }

  void SetUp() override { ASSERT_FALSE(server_.Address().empty()) << "the demo server did not start"; }
  void TearDown() override { EXPECT_EQ(server_.Stop(), 0) << "the demo server did not stop cleanly"; }

  ProcessResult Query(std::vector<std::string> args) {
    args.insert(args.begin(), {"--server", server_.Address()});
    return RunQuery(args);
  }

  static inline std::string recordsPath_;
  DemoServer server_{recordsPath_};
};

const std::string kFoundSummary = "R2611020137    笔记本 MV-14    已寄回客户    目前共有2条记录";

TEST_F(QueryCliTest, FoundRecordPrintsSummaryAndRows) {
  const ProcessResult result = Query({"R2611020137", "135790"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kFoundSummary + "\n" +
                            "2026-11-02 09:41\t已收到机器。\n"
                            "2026-11-03 14:05\t检测完成：\"主板\"\\电源 需要更换。\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(server_.NextLine(), "GET " + kSearchPath + "?LOT=R2611020137&Type=Tel&Param=135790 -> found");
}

TEST_F(QueryCliTest, JsonOutputHasOneObject) {
  ProcessResult result = Query({"--json", "R2611020137", "135790"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "{\"summary\": \"" + kFoundSummary +
                            "\", \"rows\": [{\"date\": \"2026-11-02 09:41\", \"progress\": \"已收到机器。\"}, "
                            "{\"date\": \"2026-11-03 14:05\", \"progress\": "
                            "\"检测完成：\\\"主板\\\"\\\\电源 需要更换。\"}], \"message\": null}\n");

  result = Query({"R000", "111111", "--json"});  // a repair without entries
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "{\"summary\": null, \"rows\": [], \"message\": null}\n");

  result = Query({"--json", "R2611020137", "000000"});
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.out,
            "{\"summary\": null, \"rows\": [], \"message\": {\"title\": \"查询失败\", \"text\": "
            "\"没有找到信息记录，信息填写错误或数据未更新\"}}\n");
}

TEST_F(QueryCliTest, NoRecordEndsWithTheNotFoundMessage) {
  const ProcessResult result = Query({"R2611020137", "999999"});
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "查询失败: 没有找到信息记录，信息填写错误或数据未更新\n");
}

// Refused inputs end with status 2 and send nothing: the next request the
// server sees is the one made after them.
TEST_F(QueryCliTest, RefusedInputsSendNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string err;  // the start of standard error
  };
  const std::vector<Case> cases = {
      {{"", "135790"}, "错误: 请输入LOT编号\n"},
      {{"R2611020137", "13579"}, "错误: 电话后6位长度错误\n"},
      {{"R2611020137", "电话"}, "错误: 电话后6位长度错误\n"},
      {{"R\xff\xfe", "135790"}, "morvessa-query: LOT is not valid UTF-8"},
      {{"R2611020137", "13579\xc3"}, "morvessa-query: PHONE is not valid UTF-8"},
      {{"R\xed\xa0\x80", "135790"}, "morvessa-query: LOT is not valid UTF-8"},  // a surrogate
      {{"R😀", "135790"}, "morvessa-query: LOT holds a character that GBK cannot write"},
      {{"R2611020137"}, "morvessa-query: expected LOT and PHONE"},
      {{"--bogus", "R2611020137", "135790"}, "morvessa-query: unknown option --bogus"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ProcessResult result = Query(c.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.substr(0, c.err.size()), c.err);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(RunQuery({"--server", "evil/path", "R2611020137", "135790"}).status, 2);
  EXPECT_EQ(Query({"R2611020137", "135790"}).status, 0);
  EXPECT_EQ(server_.NextLine(), "GET " + kSearchPath + "?LOT=R2611020137&Type=Tel&Param=135790 -> found");
}

// The LOT goes out as typed: the blank only escaped for the wire, the
// ampersand raw, so the server reads "A B" as the LOT and "C" as a key of
// its own, and answers with the record of "A B".
TEST_F(QueryCliTest, LotWithBlankAndAmpersandReachesTheServerAsTyped) {
  const ProcessResult result = Query({"A B&C", "135790"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "A B    K    S    目前共有1条记录\n2026-12-01\t已登记。\n");
  const std::string line = server_.NextLine();
  EXPECT_TRUE(line == "GET " + kSearchPath + "?LOT=A%20B&C&Type=Tel&Param=135790 -> found" ||
              line == "GET " + kSearchPath + "?LOT=A+B&C&Type=Tel&Param=135790 -> found")
      << line;
}

TEST_F(QueryCliTest, ServerComesFromTheEnvironmentWithoutOption) {
  const ProcessResult result = RunQuery({"R2611020137", "135790"}, {"MORVESSA_SERVER=" + server_.Address()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.substr(0, kFoundSummary.size()), kFoundSummary);
}

TEST_F(QueryCliTest, UnreachableServerShowsNothing) {
  DemoServer other(recordsPath_);
  const std::string address = other.Address();
  ASSERT_EQ(other.Stop(), 0);
  const ProcessResult result = RunQuery({"--server", address, "R2611020137", "135790"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

TEST(QueryCliHelpTest, HelpExplainsOptionsOutputAndExitStatus) {
  const ProcessResult result = RunQuery({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* topic : {"--json", "--server", "MORVESSA_SERVER", "Exit status", "UTF-8", "\"rows\""}) {
    EXPECT_NE(result.out.find(topic), std::string::npos) << topic;
  }
}

TEST(DemoServerTest, ShippedSampleRecordsAreServed) {
  DemoServer server(MORVESSA_SAMPLE_RECORDS);
  ASSERT_FALSE(server.Address().empty());
  const ProcessResult result = RunQuery({"--server", server.Address(), "R2611020137", "135790"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("目前共有5条记录"), std::string::npos) << result.out;
  EXPECT_EQ(server.Stop(), 0);
}

TEST(DemoServerTest, MalformedRecordsFilesAreRefused) {
  struct Case {
    std::string content;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"entry: 2026-01-01 | before any repair。\n", "line 1: an entry line before"},
      {"# fine\nrepair: R1 | 111111 | R1 | K\n", "line 2: a repair line needs"},
      {"repair: R1 | 111111 | R1 | K | S\nentry: 2026-01-01 | 😀。\n", "line 2: a character that GBK cannot write"},
      {"repair: R1 | 111111 | R1 | K | S\nrepair: R1 | 111111 | R1 | K | S\n", "line 2: this LOT and PHONE"},
      {"repair: R1 | 111111 | R1 | K | S\nstatus: done\n", "line 2: expected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    char path[] = "/tmp/morvessa-bad-records-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, c.content.data(), c.content.size()), static_cast<ssize_t>(c.content.size()));
    close(fd);
    int err[2];
    ASSERT_EQ(pipe2(err, O_CLOEXEC), 0);
    const pid_t pid = Spawn({MORVESSA_DEMO_SERVER_EXE, "--port", "0", "--records", path}, {}, -1, err[1]);
    close(err[1]);
    EXPECT_EQ(ExitStatus(pid), 2);
    char buffer[512] = {};
    const ssize_t n = read(err[0], buffer, sizeof buffer - 1);
    close(err[0]);
    std::remove(path);
    EXPECT_NE(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0).find(c.error), std::string::npos) << buffer;
  }
}

}  // namespace
