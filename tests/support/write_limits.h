// For the write-fault tests: the names in a folder, and a file-size limit on
// this process for the life of an object (RLIMIT_FSIZE lowered, SIGXFSZ
// ignored, so a write past the limit fails with EFBIG as on a full disk).
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

// The file names in folder, sorted (temporary files included).
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ScopedSizeLimit {
 public:
  explicit ScopedSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = old_;
    rl.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &rl);
  }
  ~ScopedSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  ScopedSizeLimit(const ScopedSizeLimit&) = delete;
  ScopedSizeLimit& operator=(const ScopedSizeLimit&) = delete;

 private:
  struct rlimit old_ {};
  void (*old_handler_)(int) = nullptr;
};
