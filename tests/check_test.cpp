// The built pivra-check as a process: the faults it names, and its fairness
// report on real and on biased files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "check_tool.h"
#include "draw/layout.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using pivra::LineBytes;
using pivra::LineLength;
using pivra::SeparatorChar;

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The file of pivra-seeded SEED, written in a directory of its own and moved to `path`.
void WriteSeededFile(const fs::path& path, unsigned seed) {
  const fs::path run = path.string() + ".run";
  fs::create_directory(run);
  const std::string command =
      "cd '" + run.string() + "' && '" PIVRA_SEEDED "' " + std::to_string(seed);
  ASSERT_EQ(std::system(command.c_str()), 0);
  fs::rename(fs::directory_iterator(run)->path(), path);
  fs::remove(run);
}

// Ten blocks, each `permute`d from 1..80, cut into sets and written as pivra does.
template <typename Permute>
std::string DrawFileText(Permute permute) {
  const std::string separator = std::string(LineLength, SeparatorChar) + "\r\n";
  std::string text = separator;
  for (int block = 0; block < 10; ++block) {
    std::vector<int> row(80);
    for (int i = 0; i < 80; ++i) row[i] = i + 1;
    permute(row);
    for (int set = 0; set < 10; ++set) {
      std::sort(row.begin() + set * 8, row.begin() + set * 8 + 8);
      for (int k = 0; k < 8; ++k) {
        char number[4];
        std::snprintf(number, sizeof number, k < 7 ? "%02d " : "%02d", row[set * 8 + k]);
        text += number;
      }
      text += "\r\n";
    }
    text += separator;
  }
  return text;
}

class CheckTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempDir("pivra-check-test"); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(CheckTest, ValidFilesPassAndEachFaultIsNamedWithItsLine) {
  WriteSeededFile(dir_ / "valid", 1);
  const std::string valid = ReadFile(dir_ / "valid");
  const auto line = [&valid](int n) { return valid.substr((n - 1) * LineBytes, LineBytes); };
  const auto with_line = [&valid](int n, const std::string& text) {
    return std::string(valid).replace((n - 1) * LineBytes, LineBytes, text);
  };
  std::string lf_only = valid;
  std::erase(lf_only, '\r');
  std::string swapped = line(3);
  std::swap_ranges(swapped.begin(), swapped.begin() + 2, swapped.begin() + 3);
  struct Case {
    std::string bytes, fault;
  };
  const std::vector<Case> cases = {
      {"", "line 1: missing: the file is empty"},
      {valid.substr(0, 50 * LineBytes), "line 51: missing: the file ends after line 50"},
      {valid.substr(0, 50 * LineBytes + 10), "line 51: 10 characters, not 23"},
      {valid.substr(0, valid.size() - 2), "line 111: no CR LF: the file ends inside the line"},
      {valid + "\r\n", "line 112: text after the last line"},
      {lf_only, "line 1: ended by LF alone, not CR LF"},
      {"\xEF\xBB\xBF" + valid,
       "line 1: starts with a UTF-8 byte-order mark: the file was saved by an editor"},
      {std::string(valid).insert(4 * LineBytes + 3, "x"), "line 5: more than 23 characters"},
      {std::string(valid).replace(7 * LineBytes - 1, 1, "x"), "line 7: CR not followed by LF"},
      {std::string(valid).replace(11 * LineBytes + 5, 1, "-"),
       "line 12: not a separator of 23 '='"},
      {std::string(valid).replace(LineBytes + 3, 1, "x"), "line 2: character 4 is not a digit"},
      {std::string(valid).replace(LineBytes + 2, 1, "_"), "line 2: character 3 is not a space"},
      {std::string(valid).replace(LineBytes + 21, 2, "81"), "line 2: 81 is outside 01..80"},
      {with_line(3, swapped), "line 3: " + line(3).substr(0, 2) + " after " + line(3).substr(3, 2) +
                                  ": not strictly ascending"},
      {with_line(3, line(2)),
       "line 3: " + line(2).substr(0, 2) + " is already in this block, on line 2"},
  };
  std::vector<std::string> args{(dir_ / "valid").string()};
  std::string expected = args[0] + ": OK\n";
  std::string failures;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    args.push_back((dir_ / ("case" + std::to_string(i))).string());
    WriteFile(args.back(), cases[i].bytes);
    failures += args.back() + ": FAILED " + cases[i].fault + "\n";
  }
  // A name that could pass for two lines is escaped as sha256sum does.
  args.push_back((dir_ / "a\nb").string());
  fs::copy_file(dir_ / "valid", args.back());
  expected += failures + "\\" + dir_.string() + "/a\\nb: OK\n";

  CheckOutcome outcome = RunPivraCheck(args);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, expected);
  args.insert(args.begin(), "-q");
  EXPECT_EQ(RunPivraCheck(args).out, failures);

  outcome = RunPivraCheck({args[1], (dir_ / "missing").string()});
  EXPECT_EQ(outcome.status, 2) << "a file that cannot be read";
  EXPECT_EQ(outcome.out,
            args[1] + ": OK\n" + (dir_ / "missing").string() + ": FAILED open or read\n");
  EXPECT_EQ(RunPivraCheck({}).status, 2) << "no file named";
  outcome = RunPivraCheck({"--version", args[1]});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "pivra-check " PIVRA_VERSION "\n") << "the version alone, nothing checked";
  EXPECT_EQ(RunPivraCheck({"--svg", "x.svg", args[1]}).status, 2) << "a picture needs --fairness";
  EXPECT_EQ(RunPivraCheck({"--fairness", "--svg", args[1], args[1]}).status, 2);
  EXPECT_EQ(RunPivraCheck({args[1]}).out, args[1] + ": OK\n") << "--svg never replaces a file";
}

TEST_F(CheckTest, RealFilesAreJudgedFairAndDrawn) {
  std::vector<std::string> args{"--fairness", "--svg", (dir_ / "map.svg").string()};
  for (unsigned seed = 1; seed <= 60; ++seed) {
    args.push_back((dir_ / ("seed" + std::to_string(seed))).string());
    WriteSeededFile(args.back(), seed);
  }
  const CheckOutcome outcome = RunPivraCheck(args);
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_TRUE(outcome.out.starts_with("Fairness of 60 files, 600 blocks; 0 skipped"))
      << outcome.out;
  EXPECT_EQ(outcome.out.find("FLAGGED"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("Verdict: no test flags these draws"), std::string::npos);
  const std::string svg = ReadFile(dir_ / "map.svg");
  EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 100);
  EXPECT_TRUE(svg.ends_with("</svg>\n"));

  args.resize(3 + 5);       // five files are too few to judge,
  args.push_back(args[3]);  // and a copy of one adds nothing
  const CheckOutcome few = RunPivraCheck(args);
  EXPECT_EQ(few.status, 1);
  EXPECT_NE(few.out.find("Too small to judge"), std::string::npos) << few.out;
  EXPECT_NE(few.out.find("skipped " + args[3] + ": a copy of " + args[3] + "\n"), std::string::npos)
      << few.out;
  EXPECT_TRUE(RunPivraCheck({"--fairness", args[3]}).out.starts_with("Fairness of 1 file, 10"));
}

TEST_F(CheckTest, NamesFromAListAreOneArchiveAndAFaultyListIsAUsageError) {
  std::string names;  // NUL-separated, a copy among them, the last name unterminated
  for (unsigned seed = 1; seed <= 8; ++seed) {
    const fs::path file = dir_ / ("seed" + std::to_string(seed));
    WriteSeededFile(file, seed);
    names += file.string() + '\0';
    if (seed == 4) {
      fs::copy_file(file, dir_ / "copy");
      names += (dir_ / "copy").string() + '\0';
    }
  }
  names.pop_back();
  CheckOutcome outcome = RunPivraCheck({"--fairness", "--files0-from=-"}, names);
  EXPECT_EQ(outcome.status, 1);
  const std::string copy_of = "skipped " + (dir_ / "copy").string() + ": a copy of ";
  EXPECT_TRUE(outcome.out.starts_with("Fairness of 8 files, 80 blocks; 1 skipped.\n" + copy_of +
                                      (dir_ / "seed4").string() + "\n"))
      << outcome.out;
  EXPECT_TRUE(
      outcome.out.ends_with("no test flags these draws at alpha = 0.001.\n"
                            "Exit status 1: 1 file skipped, listed above.\n"))
      << "the last line says why the status is 1";

  const fs::path list = dir_ / "list";
  WriteFile(list, (dir_ / "seed1").string() + '\0' + '\0' + (dir_ / "seed2").string());
  outcome = RunPivraCheck({"-q", "--files0-from", list.string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "") << "the names around the empty one are checked";
  EXPECT_EQ(outcome.err, "pivra-check: " + list.string() + ":2: an empty file name\n");
  EXPECT_EQ(RunPivraCheck({"--files0-from=" + (dir_ / "none").string()}).status, 2);
  outcome = RunPivraCheck({"--files0-from=-"}, "");
  EXPECT_EQ(outcome.status, 2) << "an empty list checked nothing: " << outcome.err;
  outcome = RunPivraCheck({"--fairness", "--files0-from=-"}, "");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "") << "no judgement of a list that named nothing";
  outcome = RunPivraCheck({"-q", "--files0-from=-"}, (dir_ / "seed1").string() + "\n");
  EXPECT_TRUE(outcome.err.ends_with("names in the list end with a NUL byte (find -print0)\n"))
      << outcome.err;
  // A pipe is read once: the file copied is named by its entry in the list.
  WriteFile(list, names);
  const std::string piped =
      "cat '" + list.string() + "' | '" PIVRA_CHECK_BINARY "' --fairness --files0-from=-";
  std::FILE* pipe = popen(piped.c_str(), "r");
  std::string report(4096, '\0');
  report.resize(std::fread(report.data(), 1, report.size(), pipe));
  EXPECT_EQ(pclose(pipe), 1 << 8) << report;
  EXPECT_NE(report.find(copy_of + "entry 4 of the list\n"), std::string::npos) << report;
  EXPECT_EQ(RunPivraCheck({"--files0-from=" + list.string(), list.string()}).status, 2)
      << "file operands and a list are kept apart";
  // A list given up partway: the verdict is on the names read before, and says so.
  outcome = RunPivraCheck({"--fairness", "--files0-from=-"}, names + std::string(101, '\0'));
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.out.find("Cut short: only the first 109 names of the list were judged; it was "
                             "given up after 100 faulty entries in a row.\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("\nVerdict on the first 109 names alone: no test flags"),
            std::string::npos);

  // Both platforms say the same for a folder and for a pattern no file matches.
  outcome = RunPivraCheck({dir_.string(), (dir_ / "*.TXT").string()});
  EXPECT_EQ(outcome.err, "pivra-check: " + dir_.string() + ": Is a directory\npivra-check: " +
                             (dir_ / "*.TXT").string() + ": no file matches the pattern\n");
}

// Each copy names the file it copies, and never a name whose file may have
// changed since it was counted, such as a FIFO.
TEST_F(CheckTest, CopiesNameTheirOwnOriginalAndOnlyOneStillTheSame) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    WriteSeededFile(dir_ / ("seed" + std::to_string(seed)), seed);
  }
  fs::copy_file(dir_ / "seed1", dir_ / "copy1");
  fs::copy_file(dir_ / "seed2", dir_ / "copy2");
  fs::copy_file(dir_ / "seed3", dir_ / "copy3");
  const auto path = [this](const char* name) { return (dir_ / name).string(); };
  const CheckOutcome outcome =
      RunPivraCheck({"--fairness", path("seed1"), path("seed2"), path("copy1"), path("copy2")});
  EXPECT_NE(outcome.out.find("skipped " + path("copy1") + ": a copy of " + path("seed1") +
                             "\nskipped " + path("copy2") + ": a copy of " + path("seed2") + "\n"),
            std::string::npos)
      << outcome.out;

  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  WriteFile(dir_ / "list", path("fifo") + '\0' + path("gone") + '\0' + path("copy3"));
  // A FIFO is not opened again to name an original: it would wait for a writer.
  const std::string script = "cd '" + dir_.string() +
                             "' || exit; cat seed3 > fifo & timeout 60 '" PIVRA_CHECK_BINARY
                             "' --fairness --files0-from=list > out 2> err; [ $? = 2 ]";
  ASSERT_EQ(std::system(script.c_str()), 0);
  const std::string report = ReadFile(dir_ / "out");
  EXPECT_NE(report.find("skipped " + path("copy3") + ": a copy of entry 1 of the list\n"),
            std::string::npos)
      << report;
}

// On a terminal, a judgement that has taken a second shows how far it has come,
// and wipes the line before each message.
TEST_F(CheckTest, ProgressIsDrawnOnATerminalAfterASecondAndWipedForMessages) {
  WriteSeededFile(dir_ / "seed1", 1);
  int terminal = -1;
  int child_side = -1;
  if (openpty(&terminal, &child_side, nullptr, nullptr, nullptr) != 0) {
    GTEST_SKIP() << "no pseudo-terminal here";
  }
  int list[2];
  ASSERT_EQ(pipe(list), 0);
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (dup2(list[0], 0) < 0 || dup2(null, 1) < 0 || dup2(child_side, 2) < 0) _exit(120);
    close(list[1]);
    execl(PIVRA_CHECK_BINARY, PIVRA_CHECK_BINARY, "--fairness", "--files0-from=-", nullptr);
    _exit(127);
  }
  close(list[0]);
  close(child_side);
  const std::string first = (dir_ / "seed1").string() + '\0';
  const std::string then = (dir_ / "gone1").string() + '\0' + (dir_ / "gone2").string();
  EXPECT_EQ(write(list[1], first.data(), first.size()), static_cast<ssize_t>(first.size()));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(write(list[1], then.data(), then.size()), static_cast<ssize_t>(then.size()));
  close(list[1]);
  std::string shown;
  char buffer[4096];
  for (ssize_t got = 0; (got = read(terminal, buffer, sizeof buffer)) != 0;) {
    if (got > 0) shown.append(buffer, static_cast<std::size_t>(got));
    if (got < 0 && errno != EINTR) break;  // EIO once the child has gone
  }
  close(terminal);
  int status = 0;
  waitpid(child, &status, 0);
  const std::string line = "pivra-check: 2 files read";
  EXPECT_EQ(shown, "pivra-check: " + dir_.string() + "/gone1: No such file or directory\r\n\r" +
                       line + "\r" + std::string(line.size(), ' ') +
                       "\rpivra-check: " + dir_.string() + "/gone2: No such file or directory\r\n");
}

// The four ways in which hostile input once broke a run: each now ends it with a
// clear message, and status 2 where the run could not do what was asked.
TEST_F(CheckTest, HostileListsAndNamesEndWithAClearMessage) {
  WriteSeededFile(dir_ / "good", 1);
  WriteFile(dir_ / "bad", ReadFile(dir_ / "good").substr(0, 1000));
  WriteFile(dir_ / "bad.list", (dir_ / "bad").string());
  WriteFile(dir_ / "good.list", (dir_ / "good").string());
  const std::string bad_list = "--files0-from=" + (dir_ / "bad.list").string();
  const std::string good_list = "--files0-from=" + (dir_ / "good.list").string();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {bad_list, good_list},
           {"--fairness", "--svg=a.svg", "--svg", "b.svg", good_list},
           {"--fairness", "--fairness", good_list}}) {
    const CheckOutcome outcome = RunPivraCheck(args);
    EXPECT_EQ(outcome.status, 2) << "an option given twice drops nothing silently";
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(" given twice\n"), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(RunPivraCheck({"-q", "-q", good_list}).status, 0) << "a second -q changes nothing";

  // A name longer than the system takes is passed over, and the names after it read.
  const std::string long_name(4096, 'x');
  CheckOutcome outcome =
      RunPivraCheck({"-q", "--files0-from=-"}, long_name + '\0' + (dir_ / "bad").string());
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, (dir_ / "bad").string() +
                             ": FAILED line 41: missing: the file ends "
                             "after line 40\n");
  EXPECT_EQ(outcome.err, "pivra-check: -:1: a name longer than 4095 bytes\n");
  // Endless input that cannot be a list (yes, /dev/zero) ends the run; lines get the hint.
  std::string yes(3 << 20, 'y');
  for (std::size_t i = 1; i < yes.size(); i += 2) yes[i] = '\n';
  outcome = RunPivraCheck({"--files0-from=-"}, yes);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("a NUL byte (find -print0)\n"), std::string::npos) << outcome.err;
  EXPECT_TRUE(outcome.err.ends_with(
      "pivra-check: -: not a list of names: a megabyte of faulty entries in a row; read no "
      "further than entry 1; faulty entries skipped: 1\n"))
      << outcome.err;
  outcome = RunPivraCheck({"--files0-from=/dev/zero"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(outcome.err.ends_with(
      "pivra-check: /dev/zero:100: an empty file name\npivra-check: /dev/zero: not a list of "
      "names: 100 faulty entries in a row; read no further than entry 100; faulty entries "
      "skipped: 100\n"))
      << outcome.err;

  // A name that would move a terminal's cursor and wipe the line above.
  const std::string wiper = (dir_ / "\x1b[1A\x1b[2K\x7fgood").string();
  fs::copy_file(dir_ / "good", wiper);
  EXPECT_EQ(RunPivraCheck({wiper}).out, "\\" + dir_.string() + "/\\x1b[1A\\x1b[2K\\x7fgood: OK\n");
}

TEST_F(CheckTest, ShuffleThatNeverLeavesANumberInPlaceIsFlagged) {
  std::mt19937 random(16);
  // Sattolo's shuffle: a random cycle through all 80 places, so no number stays put.
  const auto sattolo = [&random](std::vector<int>& row) {
    for (std::size_t i = row.size() - 1; i > 0; --i) {
      std::swap(row[i], row[std::uniform_int_distribution<std::size_t>(0, i - 1)(random)]);
    }
  };
  std::vector<std::string> args{"--fairness"};
  for (int file = 0; file < 300; ++file) {
    args.push_back((dir_ / ("biased" + std::to_string(file))).string());
    WriteFile(args.back(), DrawFileText(sattolo));
  }
  args.push_back((dir_ / "empty").string());
  WriteFile(args.back(), "");
  const CheckOutcome outcome = RunPivraCheck(args);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.out.find("skipped " + args.back() + ": line 1: missing"), std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("number by set position: chi2"), std::string::npos);
  const std::size_t by_set = outcome.out.find("number by set position");
  EXPECT_EQ(outcome.out.find("  FLAGGED", by_set), outcome.out.find('\n', by_set) + 1)
      << outcome.out;
}

}  // namespace

// The workers give what reading in line gives, byte for byte, over an archive
// of every kind of name: faults, copies, folders, missing files, names of
// descriptors, /dev/zero, FIFOs, a name over PATH_MAX and empty entries. And a
// name that opens only once a file before it has been read opens then.
TEST_F(CheckTest, WorkersGiveWhatReadingInLineGives) {
  const auto both_ways = [this](const std::string& command) {
    std::string outputs[2];
    for (int in_line = 0; in_line < 2; ++in_line) {
      const std::string run = "cd '" + dir_.string() + "' && (sh -c 'cat f4 > fifo' & " +
                              (in_line != 0 ? "PIVRA_CHECK_READ_IN_LINE=1 " : "") + command +
                              "; echo \"status $?\"; wait) 2>&1 < f3";
      std::FILE* pipe = popen(run.c_str(), "r");
      std::string& out = outputs[in_line];
      char buffer[4096];
      for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) != 0;) {
        out.append(buffer, got);
      }
      EXPECT_EQ(pclose(pipe), 0) << command;
    }
    EXPECT_EQ(outputs[0], outputs[1]) << command;
    EXPECT_NE(outputs[0].find("status "), std::string::npos) << outputs[0];
  };
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  std::mt19937 random(7);
  std::string list;
  std::string operands;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "f" + std::to_string(i);
    std::string text = DrawFileText(
        [&random](std::vector<int>& row) { std::shuffle(row.begin(), row.end(), random); });
    if (i % 7 == 3) text += 'x';                    // one byte too long
    if (i % 11 == 5) text.resize(text.size() / 2);  // cut short
    if (i % 13 == 6) fs::create_directory(dir_ / name);
    if (i % 17 != 8 && i % 13 != 6)
      WriteFile(dir_ / name, i % 19 == 9 ? ReadFile(dir_ / "f1") : text);
    // Descriptors of the workers' own files, standard input, a FIFO, /dev/zero.
    const char* other[] = {"/dev/fd/5", "/dev/stdin",      "fifo",
                           "/dev/zero", "/proc/self/fd/6", "gone"};
    const std::string named = i % 50 == 20 ? other[i / 50] : name;
    list += named + (i % 23 == 10 ? std::string(1, '\0') : "") + '\0';  // empty entries
    operands += " " + named;
  }
  list += std::string(5000, 'n') + '\0';
  WriteFile(dir_ / "list", list);
  both_ways("'" PIVRA_CHECK_BINARY "' --fairness --files0-from=list");
  both_ways("'" PIVRA_CHECK_BINARY "' --files0-from=list >&-");
  both_ways("'" PIVRA_CHECK_BINARY "' --files0-from=list > /dev/full");
  both_ways("'" PIVRA_CHECK_BINARY "' -q" + operands + " " + std::string(5000, 'n'));
  // Given up partway, a FIFO just before.
  both_ways("printf 'f0\\0fifo\\0%0100d' 0 | tr 0 '\\0' | '" PIVRA_CHECK_BINARY
            "' --fairness --files0-from=-");

  // The name of a file that an earlier one's writer makes only once read.
  const std::string script = "cd '" + dir_.string() +
                             "' && exec bash -c \"'" PIVRA_CHECK_BINARY
                             "' <(cat f0; cp f0 made) made\"";
  std::FILE* pipe = popen(script.c_str(), "r");
  char buffer[256] = {};
  const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, pipe);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_TRUE(std::string(buffer, got).ends_with("made: OK\n")) << buffer;
}

// Skipped files beyond a bound are kept on disk and reported as from memory;
// memory that runs out ends the run with a message, and no report in part.
TEST_F(CheckTest, SkippedFilesSpillToDiskAndOutOfMemoryIsAReport) {
  fs::path deep = dir_;
  for (int i = 0; i < 15; ++i) deep /= std::string(250, 'd');
  fs::create_directories(deep);
  WriteSeededFile(deep / "f", 1);
  WriteSeededFile(dir_ / "g", 2);
  std::string list = (deep / "f").string() + '\0';
  for (int i = 0; i < 300; ++i) list += (i % 3 != 0 ? deep / "f" : dir_ / "gone").string() + '\0';
  WriteFile(dir_ / "list", list + (dir_ / "g").string() + '\0' + "/dev/zero");
  const std::vector<std::string> args{"--fairness", "--files0-from=" + (dir_ / "list").string()};
  const CheckOutcome in_memory = RunPivraCheck(args);
  ASSERT_EQ(setenv("PIVRA_CHECK_SKIPPED_IN_MEMORY", "9000", 1), 0);
  const CheckOutcome spilled = RunPivraCheck(args);
  EXPECT_EQ(in_memory.status, 2);
  EXPECT_EQ(spilled.status, in_memory.status);
  EXPECT_EQ(spilled.out, in_memory.out);
  EXPECT_EQ(spilled.err, in_memory.err);
  EXPECT_NE(spilled.out.find("f: a copy of " + (deep / "f").string() + "\n"), std::string::npos);

#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer's operator new ends the process itself when it runs out";
#endif
  ASSERT_EQ(setenv("PIVRA_CHECK_SKIPPED_IN_MEMORY", "1000000000000", 1), 0);
  const std::string script = "ulimit -v 150000; yes '" + (deep / "f").string() +
                             "' | head -n 40000 | tr '\\n' '\\0' | '" PIVRA_CHECK_BINARY
                             "' --fairness --files0-from=- > '" +
                             (dir_ / "out").string() + "' 2> '" + (dir_ / "err").string() + "'";
  EXPECT_EQ(std::system(script.c_str()), 2 << 8);
  EXPECT_EQ(ReadFile(dir_ / "out"), "");
  EXPECT_EQ(ReadFile(dir_ / "err"), "pivra-check: out of memory\n");
  ASSERT_EQ(unsetenv("PIVRA_CHECK_SKIPPED_IN_MEMORY"), 0);
}
