// One side of the race test: goals_race_writer URL PRODUCER YEAR READY_DIR INDEX
// Runs the goal editor's duplicate check, tells it is ready (READY_DIR/ready-INDEX),
// waits until the other writer is ready too, then saves the record. Prints
// "done", "duplicate", "checked-duplicate" or "failed: ..." and exits 0
// (1 when it could not run at all).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "goals/goal_editor.h"
#include "host/gendb.h"
#include "suite/goal_info.h"

int main(int argc, char** argv) {
  if (argc != 6) return 1;
  std::string error;
  std::unique_ptr<GenDB> db = OpenGenDB(argv[1], "", false, &error);
  if (!db) {
    std::printf("failed: %s\n", error.c_str());
    return 1;
  }
  GoalInfo record;
  record.SetProducer(argv[2]);
  record.year = std::atoi(argv[3]);
  for (int m = 0; m < 12; ++m) record.goals[m] = 10000 * (std::atoi(argv[5]) + 1);
  const bool duplicate = DuplicateExist(db.get(), record, kGoalModeAdding, 0);
  const std::filesystem::path dir = argv[4];
  std::ofstream(dir / ("ready-" + std::string(argv[5]))).put('1');
  const std::string other = std::string("ready-") + (argv[5][0] == '0' ? "1" : "0");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!std::filesystem::exists(dir / other) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  if (duplicate) {
    std::printf("checked-duplicate\n");
    return 0;
  }
  switch (InsertGoalRecord(db.get(), &record, 20261201, &error)) {
    case GoalWrite::kDone: std::printf("done\n"); break;
    case GoalWrite::kDuplicate: std::printf("duplicate\n"); break;
    default: std::printf("failed: %s\n", error.c_str()); break;
  }
  return 0;
}
