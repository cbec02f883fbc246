// PracStatsGraphDialog: the chart of one statistics list (template 3529).
// The figure box (104) offers the list's column titles, the axis box (103)
// its one axis; the series are read back from the list's cells
// (stats_graph_series.h).
#pragma once

#include <string>

#include "lists/qt/graph_base_dialog.h"
#include "lists/qt/load_string_cbox.h"

class QenListWindow;

class PracStatsGraphMainCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  PracStatsGraphMainCBox(TTavoDlg* dialog, int id, char* field, int capacity, int list_number);
  void LoadItems() override;

 private:
  int list_number_;
};

class PracStatsGraphXCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  PracStatsGraphXCBox(TTavoDlg* dialog, int id, char* field, int capacity, int list_number);
  void LoadItems() override;

 private:
  int list_number_;
};

class PracStatsGraphDialog : public GraphBaseDialog {
  Q_OBJECT
 public:
  static constexpr char kIniSection[] = "PRAC_GRAPH_STATS";

  // list: the list charted (not owned); from/to: the tab's dates (read when
  // storing "ShowDates"); list_number 1..4.
  PracStatsGraphDialog(QWidget* parent, int template_id, const QenListWindow* list, const long& from,
                       const long& to, int list_number, long launcher_info);
  ~PracStatsGraphDialog() override;

  bool BuildGraphData() override;
  bool WriteDataToIni() override;
  char ShowDates() const { return show_dates_; }

 protected:
  void SetupWindow() override;

 private:
  const QenListWindow* list_;
  const long& from_;
  const long& to_;
  int list_number_;
  char show_dates_ = 'N';
};
