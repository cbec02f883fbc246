#include "host/qt/dll_handler.h"

#include <cstdio>
#include <exception>

QenDllHandler::QenDllHandler(std::string name, void* instance)
    : name_(std::move(name)), instance_(instance) {}

QenDllHandler::~QenDllHandler() = default;

void QenDllHandler::OnCommand(int command, std::function<void()> handler) {
  commands_[command] = std::move(handler);
}

bool QenDllHandler::SendCommand(int command) {
  auto it = commands_.find(command);
  if (it == commands_.end()) return false;
  try {
    it->second();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s : la commande %d a échoué : %s\n", name_.c_str(), command, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s : la commande %d a échoué\n", name_.c_str(), command);
  }
  return true;
}
