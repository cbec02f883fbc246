// The suite's production service: the request channel that answers command
// 2536 (production of every producer between two dates), the computation
// behind it (ComputeProduction) and TProducerAnalysisObj. The records and
// the request are the host's (host/prodanal.h).
//
// Figures come from the completed treatments (CLMTRT), office charges
// (PATOCH), payments and adjustments (ACCPMT), planned treatments and
// proposal items; docs/production.md defines each of the 21 triples. In
// short, for value k of a triple: k = 0 the last day of the range, k = 1 the
// range, k = 2 the year to date (1 January of the last day's year to the
// last day). T5 is the producer's fees (net production); the G triples are
// payments, written as credits (negative cents).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/prodanal.h"

class GenDB;

constexpr int kProductionCommand = 2536;

// Computes one prodanal_info per producer (every producer of PRODCD, in code
// order, active or not) for [from, to] from the treatment, office-charge and
// payment tables. Returns false and fills *error on a database failure.
bool ComputeProduction(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                       TDList* result, std::string* error);

// The suite's production analysis object for a list of producers and a range.
class TProducerAnalysisObj {
 public:
  // (launcher information, start date, end date, parent window, own-list
  // flag): reads the application's database.
  TProducerAnalysisObj(long launcher_info, long from, long to, HWindow parent, bool owns = true);
  // The same on db (not owned; null: nothing is computed).
  TProducerAnalysisObj(GenDB* db, long launcher_info, long from, long to, HWindow parent, bool owns = true);
  // Producer codes separated by ","; empty = every producer.
  void SetProducerList(const std::string& codes);
  void SetStartDate(long from) { from_ = from; }
  // Computes the records; false when the database failed or is missing.
  bool LoadPracticeAnalysisInfo(bool show_meter, bool include_inactive);
  // The element after previous (null = first); null at the end.
  prodanal_info* GetProdDListElem(prodanal_info* previous);
  TDList& Records() { return list_; }

 private:
  long from_, to_;
  bool application_db_ = true;
  GenDB* db_ = nullptr;
  std::vector<std::string> producers_;
  TDList list_;
};

// Like ComputeProduction; include_inactive false leaves out the producers
// marked inactive in PRODCD unless they are named in producers.
bool ComputeProductionFor(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                          bool include_inactive, TDList* result, std::string* error);

// Splits a producer-list text: codes separated by "," or, without a comma,
// consecutive 3-character fields ("D01H01D02"); blanks around codes dropped,
// empty codes skipped.
std::vector<std::string> SplitProducerList(const std::string& text);

// The application's request channel. Command 2536 takes a ProdAnalRequest*:
// the service fills request->result (one prodanal_info per producer whose
// code lies between first_producer and last_producer, each bound taken only
// when not empty) and sets status 1; status stays 0 when the application has
// no database, the request has no result list, or the computation failed.
// Returns 0 for a known command (also when it failed), -1 otherwise.
class ProductionChannel : public RequestChannel {
 public:
  explicit ProductionChannel(QenApplication* app) : app_(app) {}
  // The service over one connection (a clinic of a group, host/clinic_pool.h).
  explicit ProductionChannel(GenDB* db) : db_(db) {}
  long Request(int command, void* record) override;
  // Message of the last failure ("" after a success).
  const std::string& LastError() const { return error_; }
  std::string FailureReason() const override { return error_; }

 private:
  QenApplication* app_ = nullptr;
  GenDB* db_ = nullptr;
  std::string error_;
};

// The fees (T5, value 1) of each producer on each day of [from, to], for the
// listed producers (every one when empty): *fees[date][code] in cents, days
// and producers without fees left out. T5 is additive over days, so the sum
// of the days of a range equals TProducerAnalysisObj's T5 for that range;
// callers that need the fees of many ranges (a daily productivity report)
// read them here in three statements instead of one analysis per range.
bool ComputeDailyFees(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                      std::map<long, std::map<std::string, long>>* fees, std::string* error);

// The rows whose fees ComputeProduction sums into T5 (value 1) over [from,
// to] for the listed producers (every one when empty), from the same
// tables and conditions, by date then id. Their cents add up to T5.
bool ListFeeItems(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                  std::vector<FeeItem>* items, std::string* error);

// The figures of the statistics' summary, each a sum of production rows:
// treatments T1+T3, office charges T2, adjustments T4, fees T5, claimed
// treatments P1, insurance payments G1c, payments G2c, payments and fees.
enum class ProductionColumn {
  kTreatments,
  kOfficeCharges,
  kAdjustments,
  kFees,
  kClaimedTreatments,
  kInsurancePayments,
  kPayments,
  kPaymentsAndFees,
};
// The rows that make column's figure over [from, to] (value 1) for the
// listed producers (every one when empty), from the tables and conditions
// ComputeProduction sums them with; payments are credits (negative cents),
// as in the G triples.
bool ListProductionItems(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                         ProductionColumn column, std::vector<FeeItem>* items, std::string* error);

// Installs a ProductionChannel over app as its request channel.
void InstallProductionService(QenApplication* app);
