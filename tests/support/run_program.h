// Runs a program of the build as a user would, for tests of the programs
// themselves: its standard output and standard error captured whole, its
// exit status or the signal that ended it, how long it ran.
//
//   ProgramRun run = RunProgram({VANTRA_PROGRAM, "audit", "--db", url});
//   EXPECT_EQ(run.status, 0) << run.err;
//
// Options set what the test does to it: environment variables added, a
// file-size limit (ulimit -f, in bytes), a working folder, and a signal sent
// after a delay (a user pressing Ctrl+C, a session ending).
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
  int status = -1;  // exit status; -1 when a signal ended it
  int signal = 0;   // the signal that ended it, 0 when it exited
  std::string out, err;
  double seconds = 0;        // from start to end
  double after_signal = -1;  // from the signal sent to the end (-1: none sent)
};

struct ProgramOptions {
  std::vector<std::string> env;  // "NAME=VALUE" added to the test's own
  long long file_size_limit = -1;
  std::string folder;       // working folder ("" = the test's)
  int signal = 0;           // sent once signal_after seconds have passed
  double signal_after = 0;
  std::string input;        // standard input (empty: /dev/null)
};

ProgramRun RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options = ProgramOptions());
