// RunClinics: a bounded pool of worker threads, one connection each.

#include "host/clinic_pool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// A worker's meters: nothing shown, the group's cancel relayed.
class RelayMeter : public MeterImpl {
 public:
  explicit RelayMeter(const std::atomic<bool>* cancel) : cancel_(cancel) {}
  void Open(const std::string& /*title*/, long /*maximum*/) override {}
  void SetCounter(long /*value*/) override {}
  bool Cancelled() override { return cancel_->load(std::memory_order_relaxed); }
  void Close() override {}

 private:
  const std::atomic<bool>* cancel_;
};

struct PoolState {
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};    // a clinic failed: take no new one
  std::atomic<bool> cancel{false};  // the user stopped the group
  std::mutex mutex;
  std::condition_variable changed;
  size_t done = 0;     // clinics ended (under mutex)
  size_t workers = 0;  // workers still running (under mutex)
};

// The outcome of a clinic whose connection could not be had.
RunOutcome ConnectionFailure(GenDB* db, const std::string& error) {
  RunOutcome run;
  if (db != nullptr && !db->LostConnection().empty()) {
    run.NoteServerLost(db->LostConnection());
  } else {
    run.NoteFailure(error.empty() ? "connexion impossible" : error);
  }
  return run;
}

void Work(const ClinicPoolOptions& options, const std::vector<std::string>& prefixes, const ClinicWork& work,
          PoolState* state, std::vector<ClinicResult>* results) {
  ScopedThreadMeters meters([state](HWindow) { return std::make_unique<RelayMeter>(&state->cancel); });
  std::unique_ptr<GenDB> db;
  for (;;) {
    if (state->stop.load() || state->cancel.load()) break;
    const size_t i = state->next.fetch_add(1);
    if (i >= prefixes.size()) break;
    ClinicResult& result = (*results)[i];
    result.ran = true;
    std::string error;
    if (db == nullptr) {
      db = OpenGenDB(options.url, prefixes[i], options.access, &error);
      if (db == nullptr) result.outcome = ConnectionFailure(nullptr, error);
    } else if (!db->dbSetPrefix(prefixes[i], &error)) {
      result.outcome = ConnectionFailure(db.get(), error);
    }
    if (db != nullptr && result.outcome.Finished()) {
      db->ClearLostConnection();
      if (db->dbBeginSnapshot() != 0) {
        result.outcome = ConnectionFailure(db.get(), db->LastError());
      } else {
        ClinicContext context;
        context.db = db.get();
        context.index = i;
        context.prefix = &prefixes[i];
        result.outcome = work(context);
        if (db->dbInSnapshot() && db->dbEndSnapshot() != 0) result.outcome.NoteLostConnection(db.get());
      }
    }
    if (!result.outcome.Complete()) state->stop.store(true);
    std::lock_guard<std::mutex> lock(state->mutex);
    ++state->done;
    state->changed.notify_all();
  }
  db.reset();  // the connection closes before the worker says it ended
  std::lock_guard<std::mutex> lock(state->mutex);
  --state->workers;
  state->changed.notify_all();
}

}  // namespace

std::vector<ClinicResult> RunClinics(const ClinicPoolOptions& options, const std::vector<std::string>& prefixes,
                                     const ClinicWork& work) {
  std::vector<ClinicResult> results(prefixes.size());
  for (size_t i = 0; i < prefixes.size(); ++i) results[i].prefix = prefixes[i];
  if (prefixes.empty()) return results;
  PoolState state;
  const size_t workers = std::min(prefixes.size(), static_cast<size_t>(std::max(1, options.jobs)));
  state.workers = workers;
  std::vector<std::thread> threads;
  threads.reserve(workers);
  for (size_t w = 0; w < workers; ++w) {
    threads.emplace_back(Work, std::cref(options), std::cref(prefixes), std::cref(work), &state, &results);
  }
  {
    // The calling thread shows the group's meter (in the window, the
    // progress dialog, whose event processing keeps the window alive).
    TMeter meter(options.parent);
    if (!options.meter_title.empty()) meter.DisplayMeterDlg(options.meter_title, static_cast<long>(prefixes.size()));
    std::unique_lock<std::mutex> lock(state.mutex);
    while (state.workers > 0) {
      state.changed.wait_for(lock, std::chrono::milliseconds(50));
      const size_t done = state.done;
      lock.unlock();
      if (!options.meter_title.empty()) {
        meter.SetCounter(static_cast<long>(done));
        if (meter.Cancelled()) state.cancel.store(true);
      }
      lock.lock();
    }
  }
  for (std::thread& t : threads) t.join();
  if (state.cancel.load()) {
    for (ClinicResult& r : results) {
      if (!r.ran) {
        r.ran = true;
        r.outcome.NoteCancel();
      }
    }
  }
  return results;
}

std::string ClinicLabel(const std::string& prefix) {
  std::string name = prefix;
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  return name;
}

RunOutcome ReadClinicByClinic(GenDB* db, const std::vector<std::string>& prefixes, const std::string& what,
                              const std::function<bool(const std::string& prefix)>& read) {
  if (db == nullptr) return BeginRun(nullptr);
  const std::string old_prefix = db->dbPrefix();
  RunOutcome outcome = BeginRun(db);
  for (const std::string& prefix : prefixes) {
    const std::string whose = what + " du cabinet " + ClinicLabel(prefix);
    std::string error;
    if (!db->dbSetPrefix(prefix, &error)) {
      outcome.NoteFailure(whose + " : " + error);
      break;
    }
    if (!read(prefix)) {
      outcome.NoteFailure(whose + " : " + (db->LastError().empty() ? std::string("illisible") : db->LastError()));
      outcome.NoteLostConnection(db);
      break;
    }
  }
  std::string restored;
  db->dbSetPrefix(old_prefix, &restored);
  return outcome;
}

RunOutcome ClinicGroupOutcome(const std::vector<ClinicResult>& results) {
  RunOutcome group;
  for (const ClinicResult& r : results) {
    if (!r.ran || r.outcome.Complete()) {
      if (r.outcome.Cancelled()) group.NoteCancel();
      continue;
    }
    // The first clinic that failed names the group's end; a failure of one
    // clinic ends the group as a lost server does (exit 3: nothing of the
    // group is whole).
    const std::string line = "cabinet " + ClinicLabel(r.prefix) + " : " + r.outcome.message;
    RunOutcome failed;
    failed.end = RunEnd::kServerLost;
    failed.reason = r.outcome.ServerLost() ? r.outcome.reason : r.outcome.message;
    failed.message = r.outcome.Failed() ? line + " ; rien n'est écrit pour le groupe" : line;
    return failed;
  }
  // Clinics left out because another failed are covered above; a group
  // whose clinics all ran and ended well is finished or cancelled.
  for (const ClinicResult& r : results) {
    if (!r.ran) group.NoteCancel();
  }
  return group;
}
