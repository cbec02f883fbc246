#include "host/run_outcome.h"

#include "host/gendb.h"

namespace {

int Strength(RunEnd end) {
  switch (end) {
    case RunEnd::kFinished: return 0;
    case RunEnd::kCancelled: return 1;
    case RunEnd::kFailed: return 2;
    case RunEnd::kRefused: return 3;
    case RunEnd::kServerLost: return 4;
  }
  return 0;
}

}  // namespace

RunOutcome RunOutcome::Refused(std::string message) {
  RunOutcome r;
  r.end = RunEnd::kRefused;
  r.message = std::move(message);
  return r;
}

RunOutcome RunOutcome::Failed(std::string message) {
  RunOutcome r;
  r.end = RunEnd::kFailed;
  r.message = std::move(message);
  return r;
}

RunOutcome RunOutcome::ServerLost(std::string reason) {
  RunOutcome r;
  r.NoteServerLost(reason);
  return r;
}

void RunOutcome::NoteCancel() {
  if (end == RunEnd::kFinished) end = RunEnd::kCancelled;
}

void RunOutcome::NoteFailure(std::string_view text) {
  if (text.empty() || Strength(end) >= Strength(RunEnd::kFailed)) return;
  end = RunEnd::kFailed;
  message = std::string(text);
}

void RunOutcome::NoteServerLost(std::string_view why) {
  if (end == RunEnd::kServerLost) return;
  end = RunEnd::kServerLost;
  reason = std::string(why);
  message = PartialListMessage(reason);
}

bool RunOutcome::NoteLostConnection(GenDB* db) {
  if (end == RunEnd::kServerLost) return true;
  if (db == nullptr) return false;
  const std::string why = db->LostConnection();
  if (why.empty()) return false;
  NoteServerLost(why);
  return true;
}

void RunOutcome::Merge(const RunOutcome& step) {
  if (Strength(step.end) <= Strength(end)) return;
  *this = step;
}

RunOutcome BeginRun(GenDB* db) {
  if (db == nullptr) return RunOutcome::Failed("Aucune connexion à la base de données.");
  db->ClearLostConnection();
  return RunOutcome();
}

int ExitStatusOf(const RunOutcome& outcome) {
  switch (outcome.end) {
    case RunEnd::kFinished:
    case RunEnd::kCancelled: return 0;
    case RunEnd::kFailed: return 1;
    case RunEnd::kRefused: return 2;
    case RunEnd::kServerLost: return 3;
  }
  return 1;
}
