// PracGraphDialog: the chart of an audit list (the detailed or summary list
// of the audit tab, the history list), on the chart base GraphBaseDialog
// (template 3529).
//
// Choices added to the template: check box 116 "Afficher les dates" (the
// show-dates flag, 'N' at construction), combo box 104 "Données" (main data:
// the series) and combo box 103 "Axe" (the categories), both PracGraphCBox
// over the codes of audit_graph_series.h: "1" user, "2" date, "3" module,
// "4" action, and "5" table for the detailed and history lists only. The
// data is built by BuildAuditGraphSeries; on the summary list each line
// stands for its count (the base's row values). Options are kept in the INI
// section "PRAC_GRAPH_AUDIT"; with the show-dates box ticked the key
// "ShowDates" holds "<from> - <to>" (dates in format 530) and the chart
// shows it under its title.
#pragma once

#include "lists/qt/graph_base_dialog.h"
#include "lists/qt/load_string_cbox.h"

struct AuditOptions;
class QenListWindow;

// The combo box of the audit chart codes (5 entries for list kind 0, 4 for
// kind 1); each entry: the column title (host string), value = that string
// id, code "1" to "5".
class PracGraphCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  PracGraphCBox(TTavoDlg* dialog, int id, char* field, int capacity, int list_kind);
  void LoadItems() override;

 private:
  int list_kind_;
};

class PracGraphDialog : public GraphBaseDialog {
  Q_OBJECT
 public:
  static constexpr char kIniSection[] = "PRAC_GRAPH_AUDIT";

  // parent: the owning dialog. template_id: 3529. list_kind: 0 detailed or
  // history list, 1 summary list. list: the list charted. options: the
  // owning dialog's options (the date range). All must outlive the dialog.
  PracGraphDialog(QWidget* parent, int template_id, int list_kind, const QenListWindow* list,
                  const AuditOptions* options, long launcher_info);
  ~PracGraphDialog() override;

  bool BuildGraphData() override;
  bool WriteDataToIni() override;

  int ListKind() const { return list_kind_; }
  char& ShowDatesFlag() { return show_dates_; }
  PracGraphCBox* MainBox() const { return main_box_; }
  PracGraphCBox* AxisBox() const { return axis_box_; }

 private:
  int list_kind_;
  const QenListWindow* list_;
  const AuditOptions* options_;
  char show_dates_ = 'N';
  PracGraphCBox* main_box_ = nullptr;
  PracGraphCBox* axis_box_ = nullptr;
};
