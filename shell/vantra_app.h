// QenVantraApp: the practice-analysis module's handler, the one object the
// suite's launcher talks to.
//
// Commands:
//   2534 CmVantra     opens the practice-analysis window, or brings the open
//                     one forward (only one exists at a time)
//   2544 CmPracAudit  opens the audit-history dialog of the record named in
//                     the handler's data record (word 1); nothing without a
//                     record or with record id 0
#pragma once

#include "host/qt/dll_handler.h"

class VantraMDI;

class QenVantraApp : public QenDllHandler {
 public:
  static constexpr int kCmVantra = 2534;
  static constexpr int kCmPracAudit = 2544;

  QenVantraApp(const std::string& name, void* instance);
  ~QenVantraApp() override;

  void CmVantra();
  void CmPracAudit();

  // The open practice-analysis window, null when none.
  VantraMDI* Mdi() const { return mdi_; }
  // Called by VantraMDI when it is destroyed.
  void ForgetMdi(VantraMDI* mdi);

 private:
  VantraMDI* mdi_ = nullptr;
};

// The process-wide handler (what GetDllHandler returns), null before the
// module is attached and after it is released.
QenVantraApp* VantraHandler();
// Module attach/detach bookkeeping (load-time set-up): the first attach
// creates the handler, the detach that brings the count back to 0 destroys it.
void VantraProcessAttach();
void VantraProcessDetach();
int VantraAttachCount();
