// The log file's bytes, written for real by the writer thread.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/log_writer.h"

using namespace testing_support;

namespace {

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = makeTempDir(L"logtest");
    path_ = dir_ + L"downloader.log";
    previousSink_ = g_logSink;
    previousWriter_ = common::LogWriter::instance();
  }
  void TearDown() override {
    closeWriter();
    g_logSink = previousSink_;
    common::LogWriter::setInstance(previousWriter_);
    removeTree(dir_);
  }
  void openWriter(const common::LogWriter::Limits& limits = common::LogWriter::Limits()) {
    writer_ = new common::LogWriter(path_, limits);
    common::LogWriter::setInstance(writer_);
    g_logSink = &logToFile;
  }
  void closeWriter() {
    if (!writer_) return;
    common::LogWriter::setInstance(previousWriter_);
    delete writer_;
    writer_ = nullptr;
  }
  std::string flushAndRead() {
    EXPECT_TRUE(writer_->waitUntilWritten(10000));
    return readFile(path_);
  }

  std::wstring dir_, path_;
  common::LogWriter* writer_ = nullptr;
  LogSink previousSink_ = nullptr;
  common::LogWriter* previousWriter_ = nullptr;
};

struct ParsedLine {
  std::string function, message;
  int sourceLine = 0;
};

bool digits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// "MM-DD<TAB>hh:mm:ss.mmm<TAB>tid (4 digits or more)<TAB>function<TAB>(line):message"
bool parseLine(const std::string& line, ParsedLine* out) {
  if (line.size() < 20 || !digits(line, 0, 2) || line[2] != '-' || !digits(line, 3, 2) || line[5] != '\t') return false;
  if (!digits(line, 6, 2) || line[8] != ':' || !digits(line, 9, 2) || line[11] != ':' || !digits(line, 12, 2) ||
      line[14] != '.' || !digits(line, 15, 3) || line[18] != '\t') {
    return false;
  }
  size_t tidEnd = line.find('\t', 19);
  if (tidEnd == std::string::npos || tidEnd - 19 < 4 || !digits(line, 19, tidEnd - 19)) return false;
  size_t nameEnd = line.find('\t', tidEnd + 1);
  if (nameEnd == std::string::npos || nameEnd == tidEnd + 1) return false;
  out->function = line.substr(tidEnd + 1, nameEnd - tidEnd - 1);
  size_t close = line.find("):", nameEnd);
  if (close == std::string::npos || line[nameEnd + 1] != '(' || !digits(line, nameEnd + 2, close - nameEnd - 2)) {
    return false;
  }
  out->sourceLine = std::atoi(line.c_str() + nameEnd + 2);
  out->message = line.substr(close + 2);
  return true;
}

void logSomeLines() {
  VEL_LOG(L"plain %d and %s", 42, L"wide");
  VEL_LOG(L"url %s", L"http://h/a%20b%s%d");
  VEL_LOG(L"path %s", L"C:\\Пользователи\\用户\\");
}

TEST_F(LogFileTest, LinesCarryHeaderQualifiedNameAndOneLineBreak) {
  openWriter();
  logSomeLines();
  std::string file = flushAndRead();

  // Exactly one CR LF per line, no bare LF or CR anywhere.
  size_t crlf = 0;
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n') {
      ASSERT_TRUE(i > 0 && file[i - 1] == '\r');
    }
    if (file[i] == '\r') {
      ASSERT_TRUE(i + 1 < file.size() && file[i + 1] == '\n');
    }
    if (file[i] == '\n') ++crlf;
  }
  EXPECT_EQ(3u, crlf);

  std::vector<std::string> lines = splitLines(file);
  ASSERT_EQ(3u, lines.size());
  const char* expected[] = {"plain 42 and wide", "url http://h/a%20b%s%d", "path C:\\Пользователи\\用户\\"};
  for (size_t i = 0; i < 3; ++i) {
    ParsedLine parsed;
    ASSERT_TRUE(parseLine(lines[i], &parsed)) << lines[i];
    EXPECT_EQ("logSomeLines", parsed.function);
    EXPECT_GT(parsed.sourceLine, 0);
    EXPECT_EQ(expected[i], parsed.message);
  }
}

TEST_F(LogFileTest, OverlongMessagesAreCutOrDroppedWithoutHarmingNeighbours) {
  openWriter();
  VEL_LOG(L"before");
  std::wstring ascii(9000, L'x');
  VEL_LOG(L"%s", ascii.c_str());   // cut to 8191 units, and then it fits the line
  std::wstring cjk(4000, L'\x7528');  // 12000 bytes of UTF-8: the line cannot fit
  VEL_LOG(L"%s", cjk.c_str());
  VEL_LOG(L"after");
  std::vector<std::string> lines = splitLines(flushAndRead());
  ASSERT_EQ(3u, lines.size());
  ParsedLine parsed;
  ASSERT_TRUE(parseLine(lines[0], &parsed));
  EXPECT_EQ("before", parsed.message);
  ASSERT_TRUE(parseLine(lines[1], &parsed));
  EXPECT_EQ(std::string(8191, 'x'), parsed.message);
  ASSERT_TRUE(parseLine(lines[2], &parsed));
  EXPECT_EQ("after", parsed.message);
}

TEST_F(LogFileTest, FileStartingWithUtf16MarkIsEmptiedOthersAreAppendedTo) {
  ASSERT_TRUE(writeFile(path_, std::string("\xFF\xFE" "o\0l\0d\0", 8)));
  openWriter();
  VEL_LOG(L"fresh");
  std::string file = flushAndRead();
  ASSERT_FALSE(file.empty());
  EXPECT_NE('\xFF', file[0]);
  EXPECT_EQ(1u, splitLines(file).size());
  closeWriter();

  openWriter();
  VEL_LOG(L"second run");
  file = flushAndRead();
  std::vector<std::string> lines = splitLines(file);
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("fresh"));
  EXPECT_NE(std::string::npos, lines[1].find("second run"));
}

void logFromWorker(int thread, int line) { VEL_LOG(L"thread %d line %d", thread, line); }

TEST_F(LogFileTest, EightThreadsLoseNoLineAndNeverInterleave) {
  openWriter();
  const int kThreads = 8, kLines = 12;  // about 5 KB in all: below the pending cap
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) logFromWorker(t, i);
    });
  }
  for (auto& thread : threads) thread.join();
  std::vector<std::string> lines = splitLines(flushAndRead());
  ASSERT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
  std::vector<int> next(kThreads, 0);
  for (const std::string& line : lines) {
    ParsedLine parsed;
    ASSERT_TRUE(parseLine(line, &parsed)) << line;
    int t = -1, i = -1;
    ASSERT_EQ(2, sscanf(parsed.message.c_str(), "thread %d line %d", &t, &i)) << line;
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(next[t], i) << "lines of one thread keep their order";
    next[t] = i + 1;
  }
}

TEST_F(LogFileTest, LinesBeyondThePendingCapAreDroppedWholeAndTheRestKept) {
  common::LogWriter::Limits limits;
  limits.passMilliseconds = 60000;  // only a full pending text wakes the writer
  openWriter(limits);
  // A burst far faster than any disk: whatever the writer takes per pass, the pending text
  // overflows many times, and each overflowing line is dropped whole.
  constexpr int kLines = 4000;
  for (int i = 0; i < kLines; ++i) {
    char head[32];
    std::snprintf(head, sizeof(head), "%06d ", i);
    writer_->append(head + std::string(6000, 'a') + "\r\n");
  }
  std::vector<std::string> lines = splitLines(flushAndRead());
  EXPECT_GT(lines.size(), 1u);
  EXPECT_LT(lines.size(), static_cast<size_t>(kLines)) << "no line was dropped";
  int previous = -1;
  for (const std::string& line : lines) {
    ASSERT_EQ(6007u, line.size());
    int number = std::atoi(line.c_str());
    EXPECT_GT(number, previous) << "kept lines stay in order";
    previous = number;
  }
}

TEST_F(LogFileTest, FourProcessesLoggingIntoOneFileLoseNoLine) {
  // A second start of the installer logs into the same file at the same moment.
  constexpr int kProcesses = 4, kLines = 4000;
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int p = 0; p < kProcesses; ++p) {
    children.push_back(std::make_unique<ChildProcess>());
    ASSERT_TRUE(children.back()->start(binDir() + L"vel_log_writer_child.exe",
                                       L"\"" + path_ + L"\" p" + std::to_wstring(p) + L" " + std::to_wstring(kLines)));
  }
  for (auto& child : children) ASSERT_EQ(0, child->waitForExit(60000));
  std::vector<std::string> lines = splitLines(readFile(path_));
  std::vector<int> next(kProcesses, 0);
  for (const std::string& line : lines) {
    int p = -1, i = -1;
    ASSERT_EQ(2, sscanf(line.c_str(), "p%d line %d", &p, &i)) << "garbled: " << line;
    ASSERT_TRUE(p >= 0 && p < kProcesses) << line;
    EXPECT_EQ(next[p], i) << "process " << p << " lost or reordered a line";
    next[p] = i + 1;
  }
  for (int p = 0; p < kProcesses; ++p) EXPECT_EQ(kLines, next[p]) << "process " << p;
  EXPECT_EQ(static_cast<size_t>(kProcesses * kLines), lines.size());
}

// Real thresholds: a file that reaches 50 MiB keeps exactly its newest 2 MiB, twice.
TEST_F(LogFileTest, RolloverKeepsExactlyTheNewestTailTwice) {
  openWriter();
  common::LogWriter::Limits limits;
  std::string model;
  int rollovers = 0;
  for (int chunk = 0; rollovers < 2; ++chunk) {
    ASSERT_LT(chunk, 200);
    std::string text(1 << 20, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + (chunk * 7 + i / 4093) % 26);
    text[text.size() - 2] = '\r';
    text[text.size() - 1] = '\n';
    writer_->append(text);
    ASSERT_TRUE(writer_->waitUntilWritten(30000));
    model += text;
    if (model.size() >= limits.rolloverAt) {
      model = model.substr(model.size() - limits.keepOnRollover);
      ++rollovers;
      std::string file = readFile(path_);
      ASSERT_EQ(limits.keepOnRollover, file.size());
      ASSERT_TRUE(file == model) << "rollover " << rollovers;
    }
  }
  writer_->append("tail line\r\n");
  ASSERT_TRUE(writer_->waitUntilWritten(10000));
  EXPECT_EQ(model + "tail line\r\n", readFile(path_));
}

TEST_F(LogFileTest, OnlyTheFirstOpenLogFileCounts) {
  if (common::LogWriter::instance()) GTEST_SKIP() << "a process-wide writer exists already";
  g_logSink = &logToFile;
  VEL_LOG(L"before any writer");  // built and discarded
  openLogFile(L"");
  EXPECT_EQ(nullptr, common::LogWriter::instance());
  openLogFile(path_);
  common::LogWriter* first = common::LogWriter::instance();
  ASSERT_NE(nullptr, first);
  openLogFile(dir_ + L"other.log");
  EXPECT_EQ(first, common::LogWriter::instance());
  VEL_LOG(L"to the first file");
  ASSERT_TRUE(first->waitUntilWritten(10000));
  std::string file = readFile(path_);
  EXPECT_EQ(std::string::npos, file.find("before any writer"));
  EXPECT_NE(std::string::npos, file.find("to the first file"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir_ + L"other.log").c_str()));
  // The process-wide writer lives on, as in the installer; later tests install their own.
  previousWriter_ = nullptr;
  common::LogWriter::setInstance(nullptr);
}

}  // namespace
