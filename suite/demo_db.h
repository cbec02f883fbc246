// The demo practice: a deterministic, realistic practice database for
// demonstrations, manual testing and benchmarks (`vantra demo-db`).
//
// Everything is derived from the seed and "today" with the generator's own
// PRNG (xoshiro256** seeded by splitmix64), so the same seed, size and today
// give the same rows on every machine, compiler and engine.
//
// What it holds, around today:
//   small  two years of history and two months of bookings ahead: ~2,500
//          patients, 7 producers (one inactive), ~50,000 audit rows split
//          between the current and the archived audit tables. A few seconds.
//   large  three years: 100,000 patients, 15 producers, at least 5,000,000
//          current and 5,000,000 archived audit rows. Minutes; for benchmarks.
// docs/schema.md tells what each table holds in the demo.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class GenDB;

enum class DemoSize { kSmall, kLarge };

// "small" / "large"; false for any other text.
bool ParseDemoSize(const std::string& text, DemoSize* size);

struct DemoOptions {
  DemoSize size = DemoSize::kSmall;
  uint64_t seed = 1;
  long today = 0;  // YYYYMMDD; 0 = ldate_today()
  // Called with one line of progress text per step (may be empty).
  std::function<void(const std::string&)> progress;
};

struct DemoSummary {
  std::vector<std::pair<std::string, long>> rows;  // table name, rows written
  double seconds = 0;
  long TotalRows() const;
  long RowsOf(const std::string& table) const;  // 0 when not written
};

// Creates the schema (when missing) and fills it with the demo practice.
// REQUIRES: the schema's tables are missing or empty (the caller drops them
// to replace a demo); a database holding data is refused with *error.
// Returns false with one line in *error on a database failure; the rows
// written before it stay.
bool GenerateDemoPractice(GenDB* db, const DemoOptions& options, DemoSummary* summary,
                          std::string* error);
