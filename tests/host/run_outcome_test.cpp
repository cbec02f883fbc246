// How a run ended: the notes a generator makes, in any order, and what the
// command line makes of the result.
#include <gtest/gtest.h>

#include <string>

#include "host/gendb.h"
#include "host/run_outcome.h"

namespace {

// One step per letter: c cancel, f/g failures "f"/"g", l lost ("l"),
// r a refused step merged in ("r").
RunOutcome Play(const std::string& steps) {
  RunOutcome run;
  for (char step : steps) {
    switch (step) {
      case 'c': run.NoteCancel(); break;
      case 'f': run.NoteFailure("f"); break;
      case 'g': run.NoteFailure("g"); break;
      case 'e': run.NoteFailure(""); break;
      case 'l': run.NoteServerLost("l"); break;
      case 'r': run.Merge(RunOutcome::Refused("r")); break;
      case 'F': run.Merge(RunOutcome::Failed("F")); break;
    }
  }
  return run;
}

TEST(RunOutcome, TheStrongerEndWins) {
  struct Case {
    const char* steps;
    RunEnd end;
    const char* message;  // "" or, for a lost server, the reason
    int exit_status;
  } cases[] = {
      {"", RunEnd::kFinished, "", 0},
      {"c", RunEnd::kCancelled, "", 0},
      {"e", RunEnd::kFinished, "", 0},
      {"cf", RunEnd::kFailed, "f", 1},
      {"fc", RunEnd::kFailed, "f", 1},
      {"fg", RunEnd::kFailed, "f", 1},
      {"Ff", RunEnd::kFailed, "F", 1},
      {"fF", RunEnd::kFailed, "f", 1},
      {"fr", RunEnd::kRefused, "r", 2},
      {"rf", RunEnd::kRefused, "r", 2},
      {"fl", RunEnd::kServerLost, "l", 3},
      {"lfc", RunEnd::kServerLost, "l", 3},
      {"lr", RunEnd::kServerLost, "l", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    const RunOutcome run = Play(c.steps);
    EXPECT_EQ(static_cast<int>(c.end), static_cast<int>(run.end));
    if (run.ServerLost()) {
      EXPECT_EQ(c.message, run.reason);
      EXPECT_EQ(PartialListMessage("l"), run.message);
    } else {
      EXPECT_EQ(c.message, run.message);
    }
    EXPECT_EQ(c.exit_status, ExitStatusOf(run));
    EXPECT_EQ(c.end == RunEnd::kFinished || c.end == RunEnd::kCancelled, run.Complete());
  }
}

TEST(RunOutcome, ARunWithoutADatabaseHasFailed) {
  const RunOutcome run = BeginRun(nullptr);
  EXPECT_TRUE(run.Failed());
  EXPECT_EQ("Aucune connexion à la base de données.", run.message);
  RunOutcome copy = run;
  EXPECT_FALSE(copy.NoteLostConnection(nullptr));
  EXPECT_TRUE(copy.Failed());
}

}  // namespace
