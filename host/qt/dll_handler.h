// QenDllHandler: the object a module of the suite hands to the launcher.
//
// The launcher loads a module (dlopen), resolves its one plain exported
// function `GetDllHandler` (C linkage) and sends the returned handler
// commands by number. Before a command that needs data (the audit history,
// for example) it places a HandlerData record in the handler.
//
// Commands are dispatched through a response table: a derived handler maps
// each command id to one of its Cm... member functions with OnCommand.
// SendCommand never lets an exception escape: a handler that throws is
// reported on stderr and counts as handled.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

// The launcher's six-word data record. On 64-bit Linux each word is
// pointer-sized so that word 0 (the parent window) can hold a pointer.
//   word 0  parent window (QWidget*) for the dialog, or 0
//   word 1  id of the record whose history is wanted
//   word 2  account id
//   word 3  not used
//   word 4  launcher information
//   word 5  id of the calling module
struct HandlerData {
  intptr_t word[6] = {0, 0, 0, 0, 0, 0};
};

class QenDllHandler {
 public:
  // name: the module's name for messages; instance: the module's own handle
  // (what string and template look-ups are asked with).
  QenDllHandler(std::string name, void* instance);
  virtual ~QenDllHandler();
  QenDllHandler(const QenDllHandler&) = delete;
  QenDllHandler& operator=(const QenDllHandler&) = delete;

  // Runs the handler of command id. Returns false when the id is unknown.
  bool SendCommand(int command);

  // The data record for the next command (not owned; null = none).
  void SetData(const HandlerData* data) { data_ = data; }
  const HandlerData* GetData() const { return data_; }

  void* Instance() const { return instance_; }
  const std::string& Name() const { return name_; }

 protected:
  void OnCommand(int command, std::function<void()> handler);

 private:
  std::string name_;
  void* instance_;
  const HandlerData* data_ = nullptr;
  std::map<int, std::function<void()>> commands_;
};

// Signature of the exported entry every module provides.
extern "C" {
typedef QenDllHandler* (*GetDllHandlerFn)();
}
