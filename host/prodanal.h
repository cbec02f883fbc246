// Production figures of the suite: prodanal_info records and the production
// request (command 2536). The computation behind them, ComputeProduction and
// TProducerAnalysisObj, is the suite's: suite/production_service.h.
//
// prodanal_info layout (258 bytes, packed, little-endian):
//   byte 0        not read by the module (kept 0)
//   bytes 1..29   producer code, zero-terminated
//   bytes 30..257 21 triples of signed 32-bit amounts in cents:
//                 T0..T7 (30..125), P0, P1 (126..149),
//                 G0a G0b G0c G1a G1b G1c G2a G2b G2c (150..257).
// The module reads only the second value of a triple. What each triple holds
// is documented in docs/production.md (T5 = the producer's fees, G2c =
// payments received).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/meter.h"
#include "host/tdlist.h"


enum class Triple : int {
  T0, T1, T2, T3, T4, T5, T6, T7, P0, P1,
  G0a, G0b, G0c, G1a, G1b, G1c, G2a, G2b, G2c,
  kCount
};

class prodanal_info : public TDElem {
 public:
  static constexpr int kSize = 258;
  static constexpr int kCodeOffset = 1;
  static constexpr int kCodeCapacity = 29;
  static constexpr int kTriplesOffset = 30;

  prodanal_info() { data.fill(0); }

  std::string Code() const;  // producer code (up to the terminator)
  // Stores code, cut to kCodeCapacity - 1 bytes, the rest of the field zeroed.
  void SetCode(const std::string& code);
  // Value k (0, 1, 2) of a triple; the module reads k = 1. Get gives 0 and
  // Set does nothing for a k or triple out of range.
  int32_t Get(Triple t, int k = 1) const;
  void Set(Triple t, int k, int32_t cents);
  void Add(Triple t, int k, int32_t cents) { Set(t, k, Get(t, k) + cents); }

  std::array<unsigned char, kSize> data;
};
static_assert(sizeof(std::array<unsigned char, 258>) == 258);

// Request record of command 2536, fields in the order callers fill them.
struct ProdAnalRequest {
  HWindow owner = nullptr;
  TDList* result = nullptr;  // of prodanal_info, created empty by the caller
  long kind = 2;
  long status = 0;           // the service sets 1 on success
  long from = 0;             // YYYYMMDD
  long to = 0;               // YYYYMMDD
  char first_producer[4] = {};
  char last_producer[4] = {};
  long flag = 1;
};

// One row behind a production figure: a completed treatment, an office
// charge, an adjustment or a payment, with the part of the figure it gives
// (cents; payments are credits, negative).
struct FeeItem {
  std::string kind;         // "Traitement", "Frais de bureau", "Ajustement", "Paiement" ...
  std::string table;        // CLMTRT, PATOCH, ACCPMT
  long id = 0;
  long date = 0;
  std::string producer;
  long patient = 0;
  std::string code;
  std::string description;
  long cents = 0;
};
