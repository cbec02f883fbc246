#include "shell/vantra_app.h"

#include <QMdiArea>
#include <QWidget>
#include <memory>

#include "audit/ui/prac_audit_dialog.h"
#include "host/application.h"
#include "host/qt/mdi_child.h"
#include "shell/main_dialog.h"
#include "shell/vantra_mdi.h"

namespace {
QenVantraApp* g_handler = nullptr;
int g_attach_count = 0;
int g_module_instance = 0;  // its address is the module's instance handle
}  // namespace

QenVantraApp* VantraHandler() { return g_handler; }
int VantraAttachCount() { return g_attach_count; }

void VantraProcessAttach() {
  if (!g_handler) g_handler = new QenVantraApp(std::string(), &g_module_instance);
  ++g_attach_count;
}

void VantraProcessDetach() {
  if (g_attach_count <= 0) return;
  if (g_attach_count-- == 1) {
    delete g_handler;
    g_handler = nullptr;
  }
}

QenVantraApp::QenVantraApp(const std::string& name, void* instance) : QenDllHandler(name, instance) {
  OnCommand(kCmVantra, [this] { CmVantra(); });
  OnCommand(kCmPracAudit, [this] { CmPracAudit(); });
}

QenVantraApp::~QenVantraApp() {
  // A window still open when the module goes away must not call back into
  // a destroyed handler.
  if (mdi_) mdi_->DetachHandler();
}

void QenVantraApp::ForgetMdi(VantraMDI* mdi) {
  if (mdi_ == mdi) mdi_ = nullptr;
}

void QenVantraApp::CmVantra() {
  if (mdi_) {
    mdi_->RestoreMDIFocus();
    return;
  }
  QenApplication* app = QenApplication::Instance();
  auto* main_window = static_cast<QWidget*>(app ? app->GetMainWindow() : nullptr);
  auto* dialog = new QenVantraMainDialog(main_window, 2000, this);
  QMdiArea* client = main_window ? main_window->findChild<QMdiArea*>() : nullptr;
  auto* mdi = new VantraMDI(kCmVantra, client, QString(), dialog, true, this);
  mdi_ = mdi;
  // The new window opens maximised when its neighbours are.
  int state = TvoMDIChild::GetActiveChildState(client);
  mdi->Create();
  if (state == TvoMDIChild::kMaximized) mdi->showMaximized();
}

void QenVantraApp::CmPracAudit() {
  const HandlerData* data = GetData();
  if (!data || data->word[1] == 0) return;
  auto* parent = reinterpret_cast<QWidget*>(data->word[0]);
  auto dialog = std::make_unique<PracAuditDialog>(parent, static_cast<long>(data->word[4]),
                                                  static_cast<long>(data->word[1]),
                                                  static_cast<long>(data->word[5]),
                                                  static_cast<long>(data->word[2]));
  dialog->Execute();
}
