// The module's load-time set-up and its one exported function.
//
// The loader runs the constructor below when the process attaches the
// library (dlopen) and the destructor when it releases it (dlclose or exit),
// in the place of the suite's process attach and detach notifications.
#include "shell/vantra_app.h"

namespace {
__attribute__((constructor)) void OnProcessAttach() { VantraProcessAttach(); }
__attribute__((destructor)) void OnProcessDetach() { VantraProcessDetach(); }
}  // namespace

// The launcher's entry: the module's handler, null before load-time set-up
// or after unload. Never throws.
extern "C" __attribute__((visibility("default"))) QenDllHandler* GetDllHandler() {
  return VantraHandler();
}
