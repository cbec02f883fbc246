// GoalCodes: "Configuration des objectifs" (dialog 2010), the editor of the
// goal records, on the suite's code-table editor model (NSDCodesDialog):
// a record list (5111, "%s\t%d" producer and year, item data the record id),
// the record's fields, and a button bar (5100) whose first three commands
// are the base's record commands and the fourth the copy:
//
//   5102 "&Nouveau"     empty record, adding mode (100)
//   5103 "&Enregistrer" saves: the fields' own checks, ValidateDlgFields
//                       (strings 97 and 98, both possible), DuplicateExist
//                       (suite string 850), then the write in a transaction;
//                       a refused save keeps every value in the dialog
//   5104 "E&ffacer"     deletes the selected record (after a question)
//   5122 "&Copier"      CmCopy: the selected record's producer, year and
//                       goals in a new record, adding mode
// The editor reads and writes the practice's own server (GetWriteDb, [SUITE]
// Database), never the reports' standby: on a hot standby a save or a delete
// shows kStandbyRefusal alone and writes nothing.
// Selecting a row shows its record in changing mode (101). Leaving the
// January field (102) runs the January fill (Jan_OutFocus).
//
// Fields: 101 producer (TProdSearchCBox, 3 characters), 114 year (TRegEdit,
// 4 characters), 102-113 January to December (TAmount, cents).
#pragma once

#include "host/qt/qen_dialog.h"
#include "suite/goal_info.h"

class ListView;
class QLabel;
class QenListWindow;
class TAmount;
class TProdSearchCBox;
class TRegEdit;

class GoalCodes : public TGenDlg {
  Q_OBJECT
 public:
  enum : int {
    kProducer = 101,
    kJanuary = 102,
    kYear = 114,
    kButtonBar = 5100,
    kCmNew = 5102,
    kCmSave = 5103,
    kCmDelete = 5104,
    kCmCopy = 5122,
    kRecordList = 5111,
  };
  enum : int { kAdding = 100, kChanging = 101 };

  // (parent, dialog 2010, launcher information, -1, module) as the tab opens it.
  GoalCodes(QWidget* parent, int resource_id, long launcher_info, int id, void* module);
  ~GoalCodes() override;

  // The base's change flags: a record was added, changed, deleted.
  bool Added() const { return added_; }
  bool Changed() const { return changed_; }
  bool Deleted() const { return deleted_; }
  bool AnyChange() const { return added_ || changed_ || deleted_; }

  // Opens on the record with this id (selected, changing mode) instead of
  // an empty record: a goal row of a drill window opens its record. An id
  // no longer in the table opens an empty record. Call before Execute.
  void OpenOnRecord(long id) { open_on_ = id; }

  int Mode() const { return mode_; }
  QenListWindow* RecordList() const;
  TAmount* MonthField(int month) const;  // 1-12
  TProdSearchCBox* ProducerBox() const { return producer_; }
  TRegEdit* YearField() const { return year_; }
  // The record of the selected row, or of the buffer (ids 0 when new).
  const GoalInfo& Buffer() const { return buffer_; }

  // The commands (public for the tests).
  void CmNew();
  bool CmSave();
  void CmDelete();
  void CmCopy();
  void Jan_OutFocus();
  void EvSelect(int row);
  // After the base's own checks: strings 97 and 98; true when the record may be saved.
  bool ValidateDlgFields();
  // mode 100 adding, 101 changing; shows string 850 and answers true for a duplicate.
  bool DuplicateExist(int mode);

 protected:
  void SetupWindow() override;

 private:
  // The transfer record the fields are bound to.
  struct Transfer {
    char producer[4] = {};
    char year[5] = {};
    long goals[12] = {};
  };
  void ToTransfer(const GoalInfo& g);
  void FromTransfer(GoalInfo* g) const;
  void LoadList(long select_id);
  void ShowDuplicate();
  // The selected record was deleted, or changed, by another workstation.
  void ShowGone();
  void ShowChanged();
  // The write connection is a hot standby: says so (kStandbyRefusal).
  bool RefusedOnStandby();

  Transfer transfer_;
  GoalInfo buffer_;
  int mode_ = kAdding;
  long selected_id_ = 0;
  long open_on_ = 0;
  bool added_ = false, changed_ = false, deleted_ = false;
  ListView* list_ = nullptr;
  TProdSearchCBox* producer_ = nullptr;
  TRegEdit* year_ = nullptr;
  TAmount* months_[12] = {};
  QLabel* mode_label_ = nullptr;
};
