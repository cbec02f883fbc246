#include "appt/appt_lines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "appt/appt_generator.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"

namespace {

struct ApptCodeTotals {
  long Units = 0;
  long Minutes = 0;
  char Code[16] = {};
  long Count = 0;
};

struct ApptColumnTotals {
  char Key[8] = {};
  long NoShows = 0, Unscheduled = 0, Cancelled = 0;
  long AvailUnits = 0, AvailMinutes = 0;
  long CodeCount = 0;
  long Fee = 0, NetFee = 0;
  long BookedUnits = 0, BookedMinutes = 0, BookedCount = 0;
  std::vector<ApptCodeTotals> Codes;
};

struct PeriodLine {
  char status = 0;
  long date = 0;
  long kind = 0;
  short period = 0;
  std::vector<ApptColumnTotals> columns;
  bool has_data = false;
  bool grand = false;

  void Reset() {
    for (ApptColumnTotals& c : columns) {
      std::vector<ApptCodeTotals> codes = std::move(c.Codes);
      char key[8];
      std::memcpy(key, c.Key, sizeof key);
      c = ApptColumnTotals();
      std::memcpy(c.Key, key, sizeof key);
      for (ApptCodeTotals& t : codes) {
        t.Units = t.Minutes = t.Count = 0;
      }
      c.Codes = std::move(codes);
      c.CodeCount = static_cast<long>(c.Codes.size());
    }
    has_data = false;
  }
};

std::string Format(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

std::string UnitsText(long units) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ldU", units);
  return buf;
}

std::string HoursText(long minutes) { return Format("%-.2fH", static_cast<float>(minutes) / 60.0); }

class LineWriter {
 public:
  LineWriter(const ApptLineInput& input, QenListWindow* list) : in_(input), s_(*input.settings), list_(list) {}

  void Run(const TDList& elements) {
    const auto* first = static_cast<const PracApptElem*>(elements.Head());
    const long selected = std::max(0L, std::min(s_.SelectedCount, static_cast<long>(kApptMaxSelected)));
    const long count = selected + (s_.TotalsColumn == 1 ? 1 : 0);
    totals_ = s_.TotalsColumn == 1 ? static_cast<int>(count - 1) : -1;
    for (PeriodLine* line : {&current_, &grand_}) {
      for (long i = 0; i < count; ++i) {
        ApptColumnTotals c;
        if (i < kApptMaxSelected) CopyField(c.Key, s_.ListBy == 'P' ? s_.Producers[i] : s_.Chairs[i]);
        for (const std::string& code : in_.codes) {
          ApptCodeTotals t;
          CopyField(t.Code, code.c_str());
          c.Codes.push_back(t);
        }
        c.CodeCount = static_cast<long>(c.Codes.size());
        line->columns.push_back(std::move(c));
      }
      line->status = first->Status;
      line->date = first->Date;
      line->kind = first->Kind;
      line->period = first->Period;
    }
    grand_.grand = true;
    if (in_.drill != nullptr) {
      in_.drill->columns = static_cast<int>(count);
      in_.drill->totals_column = totals_;
      in_.drill->report_by = s_.ReportBy;
      in_.drill->prod_units = s_.ProdUnits;
    }
    const PracApptElem* prev = first;
    for (const PracApptElem* e : elements.As<PracApptElem>()) {
      current_.status = e->Status;
      current_.kind = e->Kind;
      current_.date = prev->Date;
      current_.period = prev->Period;
      if (!ApptSamePeriod(s_.ReportBy, e->Date, e->Period, prev->Date) && MayPrint(current_)) {
        Print(current_);
        current_.Reset();
      }
      Add(*e);
      prev = e;
    }
    // The last period is dated by its own last element (the loop dated the
    // line by the element before it: a period of one element took the
    // previous period's date and label).
    current_.date = prev->Date;
    current_.period = prev->Period;
    if (MayPrint(current_)) Print(current_);
    list_->AddString("", 0);
    if (in_.drill != nullptr) in_.drill->lines.push_back({});
    Print(grand_);
  }

 private:
  bool MayPrint(const PeriodLine& line) const {
    if (s_.ReportBy != 'D') return true;
    const int dow = DayOfWeek(line.date);
    return (dow >= 0 && in_.open[dow]) || line.has_data;
  }

  int ColumnOf(const char* key) const {
    const int n = static_cast<int>(current_.columns.size());
    for (int i = 0; i < n; ++i) {
      if (i == totals_) continue;
      if (std::strcmp(current_.columns[i].Key, key) == 0) return i;
    }
    return -1;
  }

  void Add(const PracApptElem& e) {
    const int col = ColumnOf(e.Key);
    if (col < 0) return;
    ApptDrillMap::Place* place = nullptr;
    if (in_.drill != nullptr) {
      place = &in_.drill->places[&e];
      place->group = groups_printed_;
      place->column = col;
      place->key = e.Key;
      place->net_from = e.NetFrom;
      place->net_to = e.NetTo;
    }
    std::vector<ApptColumnTotals*> cur = {&current_.columns[col]}, all = {&grand_.columns[col]};
    if (totals_ >= 0) {
      cur.push_back(&current_.columns[totals_]);
      all.push_back(&grand_.columns[totals_]);
    }
    if (e.Kind == 1) {
      int entry = -1;
      if (s_.ProdInfo == 'S') {
        entry = current_.columns[col].Codes.empty() ? -1 : 0;
      } else {
        for (size_t k = 0; k < current_.columns[col].Codes.size(); ++k) {
          if (std::strcmp(current_.columns[col].Codes[k].Code, e.Code) == 0) {
            entry = static_cast<int>(k);
            break;
          }
        }
      }
      if (place != nullptr) place->entry = entry;
      if (entry >= 0) {
        for (size_t j = 0; j < cur.size(); ++j) {
          ApptCodeTotals& c = cur[j]->Codes[entry];
          ApptCodeTotals& g = all[j]->Codes[entry];
          c.Units += e.SchedUnits;
          c.Minutes += e.Minutes;
          g.Units += e.SchedUnits;
          g.Minutes += e.Minutes;
          // The producer's own column takes the element's count; the totals
          // column of the current line sums them.
          if (j == 0) {
            c.Count = e.Count;
          } else {
            c.Count += e.Count;
          }
          g.Count += e.Count;
          for (ApptColumnTotals* t : {cur[j], all[j]}) {
            t->BookedUnits += e.SchedUnits;
            t->BookedMinutes += e.Minutes;
            t->BookedCount += e.Count;
          }
        }
        if (e.Count > 0) current_.has_data = true;
      }
    } else if (e.Kind == 2) {
      for (size_t j = 0; j < cur.size(); ++j) {
        for (ApptColumnTotals* t : {cur[j], all[j]}) {
          t->AvailUnits += e.SchedUnits;
          t->AvailMinutes += e.Minutes;
        }
      }
      if (e.SchedUnits > 0 || e.Minutes > 0) current_.has_data = true;
    } else if (e.Kind == 3) {
      for (size_t j = 0; j < cur.size(); ++j) {
        for (ApptColumnTotals* t : {cur[j], all[j]}) {
          if (e.Status == 'N') t->NoShows += e.Count;
          if (e.Status == 'U') t->Unscheduled += e.Count;
          if (e.Status == 'C') t->Cancelled += e.Count;
        }
      }
      if (e.Count > 0 && (s_.NoShows == 'Y' || s_.Unscheduled == 'Y' || s_.Cancelled == 'Y' || s_.TotalsOnly == 'Y')) {
        current_.has_data = true;
      }
    }
    for (size_t j = 0; j < cur.size(); ++j) {
      cur[j]->Fee += e.Fee;
      all[j]->Fee += e.Fee;
    }
    if (e.Fee > 0 && s_.ReportDollar == 'Y') current_.has_data = true;
    if (current_.columns[col].NetFee == 0 && e.NetFee != 0) {
      current_.columns[col].NetFee = e.NetFee;
      grand_.columns[col].NetFee += e.NetFee;
      if (totals_ >= 0) {
        current_.columns[totals_].NetFee += e.NetFee;
        grand_.columns[totals_].NetFee += e.NetFee;
      }
      if (s_.NetFees == 'Y') current_.has_data = true;
    }
  }

  void Row(const std::string& first, const std::string& label, const std::vector<std::string>& cells, long kind,
           const PeriodLine& line) {
    std::string text = first + "\t" + label + "\t";
    for (const std::string& c : cells) text += c + "\t";
    list_->AddString(text, line.grand ? 0 : kind);
    if (in_.drill != nullptr) {
      ApptDrillMap::Line l;
      l.group = line.grand ? -1 : groups_printed_;
      l.row_kind = kind;
      l.entry = row_entry_;
      l.grand = line.grand;
      l.date = line.date;
      in_.drill->lines.push_back(l);
    }
  }

  template <class Cell>
  std::vector<std::string> Cells(const PeriodLine& line, Cell cell) const {
    std::vector<std::string> out;
    out.reserve(line.columns.size());
    for (const ApptColumnTotals& c : line.columns) out.push_back(cell(c));
    return out;
  }

  void Print(const PeriodLine& line) {
    PrintRows(line);
    row_entry_ = -1;
    if (!line.grand) ++groups_printed_;
  }

  void PrintRows(const PeriodLine& line) {
    const char u = s_.ProdUnits;
    if (s_.TrackProd == 'Y') {
      const size_t codes = line.columns.empty() ? 0 : line.columns[0].Codes.size();
      for (size_t k = 0; k < codes; ++k) {
        std::string first = " ";
        if (k == 0) first = line.grand ? ModuleString(278) : ApptPeriodLabel(s_.ReportBy, line.date);
        const bool summary = s_.ProdInfo == 'S';
        const std::string label = summary ? ModuleString(271) : line.columns[0].Codes[k].Code;
        row_entry_ = static_cast<int>(k);
        Row(first, label, Cells(line, [&](const ApptColumnTotals& c) {
              const ApptCodeTotals& t = c.Codes[k];
              if (t.Count < 1) return std::string("0");
              char count[32];
              std::snprintf(count, sizeof count, "  (%d)", static_cast<int>(t.Count));
              return ApptTimeText(u, t.Units, t.Minutes, ", ") + count;
            }),
            summary ? kApptRowSummary : kApptRowBooked, line);
      }
      row_entry_ = -1;
      Row(" ", ModuleString(272), Cells(line, [&](const ApptColumnTotals& c) {
            return ApptTimeText(u, c.AvailUnits, c.AvailMinutes, ",");
          }),
          kApptRowAvailable, line);
      Row(" ", ModuleString(277), Cells(line, [&](const ApptColumnTotals& c) {
            const float usage = c.AvailMinutes <= 0 ? 0.0f
                                                    : static_cast<float>(c.BookedMinutes) /
                                                          static_cast<float>(c.AvailMinutes) * 100.0f;
            std::string text;
            if (u == 'U' || u == 'B') text = UnitsText(c.BookedUnits) + "/" + UnitsText(c.AvailUnits);
            if (u == 'B') text += ", ";
            if (u == 'H' || u == 'B') text += HoursText(c.BookedMinutes) + "/" + HoursText(c.AvailMinutes);
            text += Format("  (%.2f", usage);
            while (!text.empty() && text.back() == ' ') text.pop_back();
            return text + "%)";
          }),
          kApptRowUsage, line);
      if (s_.ReportDollar == 'Y') {
        Row(" ", ModuleString(276), Cells(line, [](const ApptColumnTotals& c) {
              return Format("$%-10.2f", c.Fee / 100.0);
            }),
            kApptRowFees, line);
      }
      if (s_.NetFees == 'Y') {
        Row(" ", ModuleString(280), Cells(line, [](const ApptColumnTotals& c) {
              return Format("$%-10.2f", c.NetFee / 100.0);
            }),
            kApptRowNetFees, line);
      }
    }
    if (s_.NoShows == 'Y' || s_.Unscheduled == 'Y' || s_.Cancelled == 'Y' || s_.TotalsOnly == 'Y') {
      auto number = [](long v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v));
        return std::string(buf);
      };
      if (s_.TotalsOnly == 'Y') {
        Row(" ", ModuleString(273), Cells(line, [&](const ApptColumnTotals& c) {
              return number(c.Cancelled + c.Unscheduled + c.NoShows);
            }),
            kApptRowMissed, line);
      } else {
        if (s_.NoShows == 'Y') {
          Row(" ", ModuleString(275), Cells(line, [&](const ApptColumnTotals& c) { return number(c.NoShows); }),
              kApptRowNoShows, line);
        }
        if (s_.Cancelled == 'Y') {
          Row(" ", ModuleString(274), Cells(line, [&](const ApptColumnTotals& c) { return number(c.Cancelled); }),
              kApptRowCancelled, line);
        }
        if (s_.Unscheduled == 'Y') {
          Row(" ", ModuleString(273),
              Cells(line, [&](const ApptColumnTotals& c) { return number(c.Unscheduled); }),
              kApptRowUnscheduled, line);
        }
      }
    }
  }

  const ApptLineInput& in_;
  const PracApptSettings& s_;
  QenListWindow* list_;
  PeriodLine current_, grand_;
  int totals_ = -1;
  int groups_printed_ = 0;  // period groups printed so far (the drill map's group numbers)
  int row_entry_ = -1;      // the code entry of the booked row being written
};

}  // namespace

std::string ApptTimeText(char prod_units, long units, long minutes, const char* both_separator) {
  switch (prod_units) {
    case 'U': return UnitsText(units);
    case 'H': return HoursText(minutes);
    case 'B': return UnitsText(units) + both_separator + HoursText(minutes);
    default: return std::string();
  }
}

std::vector<std::string> ApptCodeList(GenDB* db, const PracApptSettings& s) {
  std::vector<std::string> codes;
  if (s.ProdInfo == 'S') return {std::string()};
  const bool by_code = s.ProdInfo == 'C';
  for (int i = 0; i < kApptMaxSelected; ++i) {
    const char* entry = by_code ? s.ApptCodes[i] : s.ApptTypes[i];
    if (entry[0] == '\0') break;
    codes.push_back(entry);
  }
  if (!codes.empty() || db == nullptr) return codes;
  char sql[200];
  std::snprintf(sql, sizeof sql,
                by_code ? "SELECT MCB_CODE FROM %sMCBCD ORDER BY MCB_CODE" : "SELECT APCD_CODE FROM %sAPTCODE ORDER BY APCD_CODE",
                db->dbPrefix());
  constexpr int kCursor = 50;
  db->dbExecute(sql, kCursor);
  long rows = 0;
  db->dbRowCount(&rows, kCursor);
  int r = db->dbFetch(0, kCursor);
  for (long i = 0; i < rows && r == 0; ++i, r = db->dbFetch(1, kCursor)) {
    char code[6] = {};
    db->dbGetString(1, code, sizeof code, kCursor);
    codes.push_back(code);
  }
  db->dbClose(kCursor);
  return codes;
}

void WriteApptReportLines(const TDList& elements, const ApptLineInput& input, QenListWindow* list) {
  if (elements.IsEmpty() || list == nullptr || input.settings == nullptr) return;
  LineWriter(input, list).Run(elements);
}

void SetUpApptColumns(QenListWindow* list, PracApptSettings* settings) {
  while (list->Columns().size() > 2) list->DeleteAColumn(static_cast<int>(list->Columns().size()) - 1);
  if (!list->Columns().empty()) list->SetColumnWidth(0, 10);
  const long n = std::clamp(settings->SelectedCount, 0L, static_cast<long>(kApptMaxSelected));
  for (long i = 0; i < n; ++i) {
    list->AddColumn(settings->ListBy == 'P' ? settings->Producers[i] : settings->Chairs[i], 12);
  }
  settings->TotalsColumn = n > 1 ? 1 : 0;
  if (n > 1) list->AddColumn(ModuleString(278), 12);
  list->AdjustColumns();
}
