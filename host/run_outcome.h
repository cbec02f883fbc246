// How an analysis run ended: one record for every generator, read the same
// way by every tab and by the command line.
//
//   finished     every statement ran; the list is whole
//   cancelled    the user stopped it; the list holds what was done and
//                nothing more is said
//   failed       a statement failed (a missing table, a damaged file): the
//                list lacks what it would have read; message says which
//   server lost  the server went away; the list keeps what the partial-run
//                policy keeps (docs/reliability.md) and message is
//                PartialListMessage(reason)
//   refused      the run did not start (nothing chosen, a bad year): message
//
// A generator starts its run with BeginRun (which clears the engine's note
// of a lost server) and notes what happens as it goes; the stronger end
// wins: a lost server over a failure over a cancel. The first failure's
// message is kept, a lost server's line replaces it.
//
//   RunOutcome run = BeginRun(db);
//   ... if (meter.Cancelled()) run.NoteCancel();
//   ... if (db->dbExecute(sql, c) != 0) run.NoteFailure(db->LastError());
//   ... run.NoteLostConnection(db);
//   return run;
#pragma once

#include <string>
#include <string_view>

class GenDB;

enum class RunEnd { kFinished, kCancelled, kFailed, kServerLost, kRefused };

struct RunOutcome {
  RunEnd end = RunEnd::kFinished;
  std::string message;  // one line in French; "" when finished or cancelled
  std::string reason;   // server lost: the server's or libpq's first line

  static RunOutcome Refused(std::string message);
  static RunOutcome Failed(std::string message);
  static RunOutcome ServerLost(std::string reason);

  bool Finished() const { return end == RunEnd::kFinished; }
  bool Cancelled() const { return end == RunEnd::kCancelled; }
  bool Failed() const { return end == RunEnd::kFailed; }
  bool ServerLost() const { return end == RunEnd::kServerLost; }
  bool Refused() const { return end == RunEnd::kRefused; }
  // Finished or cancelled: what the list holds is all it was asked to hold
  // up to where the user stopped it.
  bool Complete() const { return Finished() || Cancelled(); }

  void NoteCancel();
  // A failed statement or request; an empty message is passed over.
  void NoteFailure(std::string_view message);
  void NoteServerLost(std::string_view reason);
  // Notes a server lost on db since BeginRun; true when it is (now or
  // before) lost. A null db is never lost.
  bool NoteLostConnection(GenDB* db);
  // Takes in the outcome of a step of the run (one list of several, a
  // computation handed in): the stronger end wins, as for the notes.
  void Merge(const RunOutcome& step);
};

// The start of every run on db: clears the engine's note of a lost server.
// Without a database the run has failed: "Aucune connexion à la base de
// données."
RunOutcome BeginRun(GenDB* db);

// The exit status of a command whose run ended so: 0 finished or cancelled,
// 1 failed, 2 refused, 3 server lost (the partial list is not written).
int ExitStatusOf(const RunOutcome& outcome);
