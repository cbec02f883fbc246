// PracApptGraphDialog: the productivity chart over the tab's result list
// (GraphBaseDialog, section PRAC_GRAPH_APPT): the measure (combo 104, one
// item per row of the first period group), the x axis (combo 103: periods,
// producers or chairs), "ShowDates" written with the report's range when box
// 116 is ticked. Series: appt_graph_series.h.
#pragma once

#include <vector>

#include "appt/appt_graph_series.h"
#include "lists/qt/graph_base_dialog.h"
#include "lists/qt/load_string_cbox.h"

class ApptGraphMainCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  ApptGraphMainCBox(TTavoDlg* dialog, int id, char* field, int capacity, const QenListWindow* list);
  void LoadItems() override;

 private:
  const QenListWindow* list_;
};

class ApptGraphXCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  ApptGraphXCBox(TTavoDlg* dialog, int id, char* field, int capacity, const PracApptSettings* settings);
  void LoadItems() override;

 private:
  const PracApptSettings* settings_;
};

class PracApptGraphDialog : public GraphBaseDialog {
  Q_OBJECT
 public:
  PracApptGraphDialog(QWidget* parent, const QenListWindow* list, const PracApptSettings* settings,
                      long launcher_info);
  ~PracApptGraphDialog() override;
  bool BuildGraphData() override;
  bool WriteDataToIni() override;

 private:
  const QenListWindow* list_;
  const PracApptSettings* settings_;
  char show_dates_ = 'N';
  ApptGraphMainCBox* main_box_ = nullptr;
  ApptGraphXCBox* axis_box_ = nullptr;
};
