// AtomicFile: temporary file beside the final one, fsync, rename, fsync of
// the folder.

#include "host/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

struct AtomicFileStream {
  int fd = -1;
  bool own_fd = true;  // false for standard output, which stays open
  int error = 0;       // errno of the first failed write
};

namespace {

namespace fs = std::filesystem;

// A writer's temporary file is named ".NAME.XXXXXX.PID@HOST.vantra-tmp":
// nobody else makes such a name, and it says whose it is. A writer killed
// by SIGKILL (the signals the programs can catch remove their files, see
// InstallInterruptCleanup) leaves it behind; after each successful commit
// to NAME, the left-overs of writers of this host whose process has ended
// are removed. Any other name, or a file of a writer still running (here or
// on another workstation sharing the folder), is never touched.
constexpr char kTemporarySuffix[] = ".vantra-tmp";

const std::string& HostName() {
  static const std::string host = [] {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return std::string("localhost");
    std::string h(buffer);
    for (char& c : h) {
      if (c == '/' || c == '@' || static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    return h;
  }();
  return host;
}

std::string TemporaryTemplate(const fs::path& folder, const std::string& name) {
  return (folder / ("." + name + ".XXXXXX." + std::to_string(::getpid()) + "@" + HostName() + kTemporarySuffix))
      .string();
}

// True when file is a temporary file of NAME left by an ended writer of
// this host: ".NAME." + 6 characters + ".PID@HOST" + kTemporarySuffix.
bool IsOwnLeftOver(const std::string& file, const std::string& lead) {
  const std::string tail = "@" + HostName() + kTemporarySuffix;
  if (file.size() <= lead.size() + 8 + tail.size()) return false;
  if (file.compare(0, lead.size(), lead) != 0) return false;
  if (file.compare(file.size() - tail.size(), tail.size(), tail) != 0) return false;
  if (file[lead.size() + 6] != '.') return false;
  const std::string pid_text = file.substr(lead.size() + 7, file.size() - tail.size() - lead.size() - 7);
  if (pid_text.empty() || pid_text.size() > 9) return false;
  for (char c : pid_text) {
    if (c < '0' || c > '9') return false;
  }
  const pid_t pid = static_cast<pid_t>(std::stol(pid_text));
  if (pid <= 0 || pid == ::getpid()) return false;  // ours are removed by their own objects
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveLeftOverTemporaries(const fs::path& folder, const std::string& name) {
  const std::string lead = "." + name + ".";
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (!IsOwnLeftOver(file, lead)) continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    std::error_code remove_ec;
    fs::remove(it->path(), remove_ec);
  }
}

// The temporary files in use, for the signal handler: fixed slots, so that
// removing them needs neither allocation nor locks.
constexpr int kTemporarySlots = 64;
struct TemporarySlot {
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 in use
  bool with_companions = false;
  char path[4096] = {};
};
TemporarySlot g_temporaries[kTemporarySlots];

int RegisterTemporary(const std::string& path, bool with_companions) {
  if (path.size() >= sizeof g_temporaries[0].path) return -1;
  for (int i = 0; i < kTemporarySlots; ++i) {
    int expected = 0;
    if (!g_temporaries[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(g_temporaries[i].path, path.c_str(), path.size() + 1);
    g_temporaries[i].with_companions = with_companions;
    g_temporaries[i].state.store(2);
    return i;
  }
  return -1;  // more than 64 at once: the file is still removed by its owner
}

void UnregisterTemporary(int slot) {
  if (slot >= 0 && slot < kTemporarySlots) g_temporaries[slot].state.store(0);
}

// Async-signal-safe.
void RemoveRegisteredTemporaries() {
  for (TemporarySlot& slot : g_temporaries) {
    if (slot.state.load() != 2) continue;
    ::unlink(slot.path);
    if (!slot.with_companions) continue;
    char companion[sizeof slot.path + 16];
    const size_t n = std::strlen(slot.path);
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
      std::memcpy(companion, slot.path, n);
      std::memcpy(companion + n, suffix, std::strlen(suffix) + 1);
      ::unlink(companion);
    }
  }
}

const char* g_interrupted_program = "vantra";

// "PROGRAM" + what on standard error, async-signal-safe.
void SayOnSignal(const char* what) {
  ssize_t ignored = ::write(STDERR_FILENO, g_interrupted_program, std::strlen(g_interrupted_program));
  ignored = ::write(STDERR_FILENO, what, std::strlen(what));
  (void)ignored;
}

void OnInterrupt(int sig) {
  RemoveRegisteredTemporaries();
  if (sig == SIGBUS) {
    // A mapped file cut short under the process (a library's mapping):
    // a failed run, said in one line.
    SayOnSignal(" : un fichier en lecture a été tronqué par un autre programme (SIGBUS), rien n'est écrit\n");
    ::_exit(1);
  }
  SayOnSignal(sig == SIGINT ? " : interrompu (Ctrl+C), rien n'est écrit\n" : " : arrêté par un signal, rien n'est écrit\n");
  std::signal(sig, SIG_DFL);
  ::raise(sig);
}

// "NAME (n).EXT" beside "NAME.EXT" (n from 2); a name without an extension
// gets " (n)" at its end.
std::string NumberedName(const std::string& path, int n) {
  if (n <= 1) return path;
  const fs::path p(path);
  const std::string ext = p.extension().string();
  const std::string stem = path.substr(0, path.size() - ext.size());
  return stem + " (" + std::to_string(n) + ")" + ext;
}

// Puts from in place under to unless to exists: 0, EEXIST or another errno.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without RENAME_NOREPLACE: a hard link fails the same way
  // on a taken name.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

// The process's umask, read without changing it (umask(2) would, for a
// moment, in every thread).
mode_t CurrentUmask() {
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(f);
    if (found) return static_cast<mode_t>(mask);
  }
  return 022;
}

fs::path FolderOf(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// Makes the folder's entries (the rename) durable. Some file systems
// refuse fsync on a folder (EINVAL); the file itself is already on disk.
void SyncFolder(const fs::path& folder) {
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// The stream of a file: stdio over the descriptor (AtomicFileStream),
// remembering the errno of the first write that failed. Plain stdio keeps
// only a flag, and the errno of a write made long before Commit is lost by
// then.

ssize_t CookieWrite(void* cookie, const char* data, size_t size) {
  auto* c = static_cast<AtomicFileStream*>(cookie);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(c->fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (c->error == 0) c->error = n < 0 ? errno : ENOSPC;
      if (done == 0) return -1;
      break;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

int CookieClose(void* cookie) {
  auto* c = static_cast<AtomicFileStream*>(cookie);
  const int rc = c->fd >= 0 && c->own_fd ? ::close(c->fd) : 0;
  c->fd = -1;
  return rc;
}

// A stream over fd (taken: closed with the stream) and c (kept by the
// caller, who frees it after fclose).
FILE* OpenStream(int fd, AtomicFileStream* c) {
  c->fd = fd;
  cookie_io_functions_t io = {};
  io.write = &CookieWrite;
  io.close = &CookieClose;
  FILE* f = ::fopencookie(c, "wb", io);
  if (f) std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
  return f;
}

}  // namespace

std::string FileErrorText(int err) {
  switch (err) {
    case ENOSPC: return "Aucun espace disponible sur le périphérique";
    case EFBIG: return "Fichier trop volumineux";
    case EDQUOT: return "Quota de disque dépassé";
    case EACCES: return "Permission non accordée";
    case EPERM: return "Opération non permise";
    case EROFS: return "Système de fichiers accessible en lecture seulement";
    case EIO: return "Erreur d'entrée/sortie";
    case ENOENT: return "Aucun fichier ou dossier de ce type";
    case ENOTDIR: return "N'est pas un dossier";
    case EISDIR: return "Est un dossier";
    case ENAMETOOLONG: return "Nom de fichier trop long";
    case EMFILE:
    case ENFILE: return "Trop de fichiers ouverts";
    case EPIPE: return "Relais brisé (pipe)";
    case ENOMEM: return "Impossible d'allouer de la mémoire";
    case EXDEV: return "Lien croisé de périphérique invalide";
    case EINVAL: return "Argument invalide";
    default: return std::strerror(err);
  }
}

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Fail(int err, std::string* error) {
  return Fail(err != 0 ? FileErrorText(err) : std::string("erreur d'écriture"), error);
}

bool AtomicFile::Fail(const std::string& reason, std::string* error) {
  reason_ = reason;
  const std::string where = mode_ == Mode::kStandardOutput || path_.empty() ? "sur la sortie standard" : path_;
  if (error) *error = "impossible d'écrire " + where + " : " + reason;
  Abandon();
  return false;
}

AtomicFile::AtomicFile() = default;

bool AtomicFile::Open(const std::string& path, std::string* error) { return Start(path, true, error); }

bool AtomicFile::OpenForPath(const std::string& path, std::string* error) {
  if (path.empty()) {
    Abandon();
    reason_ = "aucun fichier de sortie";
    if (error) *error = reason_;
    return false;
  }
  return Start(path, false, error);
}

bool AtomicFile::AttachStream(int fd, std::string* error) {
  stream_ = std::make_unique<AtomicFileStream>();
  file_ = OpenStream(fd, stream_.get());
  if (!file_) {
    const int err = errno;
    ::close(fd);
    stream_.reset();
    return Fail(err, error);
  }
  fd_ = fd;
  return true;
}

bool AtomicFile::Start(const std::string& path, bool stream, std::string* error) {
  Abandon();
  path_ = path;
  reason_.clear();
  if (path.empty()) {
    // A stream of our own over descriptor 1 (so that a failed write keeps
    // its errno), after what stdout already holds.
    std::fflush(stdout);
    mode_ = Mode::kStandardOutput;
    write_path_.clear();
    // Spooled into an unnamed file of the temporary folder, then copied
    // whole at Commit: a run that ends early (a lost server, a signal)
    // leaves nothing on standard output.
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string spool_dir = tmpdir != nullptr && tmpdir[0] != '\0' ? tmpdir : "/tmp";
    int fd = ::open(spool_dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
      std::string temp = spool_dir + "/.vantra-stdout.XXXXXX";
      std::vector<char> name(temp.begin(), temp.end());
      name.push_back('\0');
      fd = ::mkostemp(name.data(), O_CLOEXEC);
      if (fd < 0) return Fail("pas de fichier temporaire dans " + spool_dir + " : " + FileErrorText(errno), error);
      ::unlink(name.data());
    }
    return AttachStream(fd, error);
  }
  // Write through a symbolic link rather than replacing it.
  target_ = path;
  std::error_code ec;
  if (fs::is_symlink(target_, ec)) {
    const fs::path resolved = fs::weakly_canonical(target_, ec);
    if (!ec) target_ = resolved.string();
  }
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Fail("c'est un dossier", error);
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe cannot be replaced: write into it.
      mode_ = Mode::kDirect;
      write_path_ = target_;
      if (!stream) return true;
      const int fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd < 0) return Fail(errno, error);
      return AttachStream(fd, error);
    }
    mode_bits_ = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return Fail(errno, error);
  } else {
    mode_bits_ = 0666 & ~CurrentUmask();
  }

  const fs::path folder = FolderOf(target_);
  if (!fs::is_directory(folder, ec)) {
    return Fail("le dossier " + folder.string() + " n'existe pas", error);
  }
  const std::string temp = TemporaryTemplate(folder, fs::path(target_).filename().string());
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = ::mkostemps(name.data(), static_cast<int>(temp.size() - temp.rfind("XXXXXX") - 6), O_CLOEXEC);
  if (fd < 0) return Fail(errno, error);
  mode_ = Mode::kTemporary;
  write_path_ = name.data();
  slot_ = RegisterTemporary(write_path_, false);
  if (!stream) {
    ::close(fd);
    return true;
  }
  return AttachStream(fd, error);
}

int AtomicFile::FlushStream() {
  errno = 0;
  const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
  if (stream_ && stream_->error != 0) return stream_->error;
  if (flushed) return 0;
  return errno != 0 ? errno : -1;
}

int AtomicFile::CloseStream() {
  errno = 0;
  int err = std::fclose(file_) == 0 ? 0 : (errno != 0 ? errno : EIO);
  if (stream_ && stream_->error != 0) err = stream_->error;
  file_ = nullptr;
  stream_.reset();
  fd_ = -1;
  return err;
}

bool AtomicFile::Commit(std::string* error) {
  if (mode_ == Mode::kNone) return Fail("aucun fichier ouvert", error);
  if (mode_ == Mode::kStandardOutput) {
    int err = FlushStream();
    if (err == 0) err = CopySpoolToStandardOutput();
    const int closed = CloseStream();
    if (err == 0) err = closed;
    if (err != 0) return Fail(err > 0 ? err : 0, error);
    mode_ = Mode::kNone;
    return true;
  }
  if (mode_ == Mode::kDirect) {
    int err = 0;
    if (file_) {
      err = FlushStream();
      const int closed = CloseStream();
      if (err == 0) err = closed;
    }
    if (err != 0) return Fail(err > 0 ? err : 0, error);
    file_ = nullptr;
    mode_ = Mode::kNone;
    return true;
  }

  int fd = fd_;
  if (file_) {
    if (const int err = FlushStream()) return Fail(err > 0 ? err : 0, error);
  } else {
    // The writer wrote the path itself: it may have replaced the file, so
    // open what is there now.
    fd = ::open(write_path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(errno, error);
  }
  int err = 0;
  if (::fsync(fd) != 0 || ::fchmod(fd, static_cast<mode_t>(mode_bits_)) != 0) err = errno;
  if (file_) {
    const int closed = CloseStream();
    if (err == 0) err = closed;
  } else if (::close(fd) != 0 && err == 0) {
    err = errno;
  }
  if (err != 0) return Fail(err, error);
  const fs::path folder = FolderOf(target_);
  if (!new_name_) {
    if (::rename(write_path_.c_str(), target_.c_str()) != 0) return Fail(errno, error);
  } else {
    // A new file: the first free name of NAME.EXT, NAME (2).EXT, ... taken
    // by the rename itself, so two writers never get the same one.
    for (int n = 1;; ++n) {
      const std::string candidate = NumberedName(target_, n);
      const int rc = RenameNoReplace(write_path_, candidate);
      if (rc == 0) {
        target_ = candidate;
        path_ = NumberedName(path_, n);
        break;
      }
      if (rc != EEXIST || n >= 9999) return Fail(rc, error);
    }
  }
  UnregisterTemporary(slot_);
  slot_ = -1;
  SyncFolder(folder);
  RemoveLeftOverTemporaries(folder, fs::path(target_).filename().string());
  mode_ = Mode::kNone;
  write_path_.clear();
  return true;
}

bool AtomicFile::CommitNew(std::string* error) {
  if (mode_ == Mode::kTemporary) new_name_ = true;
  const bool done = Commit(error);
  new_name_ = false;
  return done;
}

int AtomicFile::CopySpoolToStandardOutput() {
  if (::lseek(fd_, 0, SEEK_SET) != 0) return errno;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    size_t done = 0;
    while (done < static_cast<size_t>(n)) {
      const ssize_t w = ::write(STDOUT_FILENO, buffer.data() + done, static_cast<size_t>(n) - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return w < 0 ? errno : ENOSPC;
      done += static_cast<size_t>(w);
    }
  }
}

void InstallInterruptCleanup(const char* program) {
  g_interrupted_program = program;
  struct sigaction action {};
  action.sa_handler = &OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGBUS}) ::sigaction(sig, &action, nullptr);
}

TemporaryFileGuard::TemporaryFileGuard(const std::string& path, bool sqlite_companions)
    : slot_(RegisterTemporary(path, sqlite_companions)) {}

TemporaryFileGuard::~TemporaryFileGuard() { UnregisterTemporary(slot_); }

void AtomicFile::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  stream_.reset();
  fd_ = -1;
  if (mode_ == Mode::kTemporary) ::unlink(write_path_.c_str());
  UnregisterTemporary(slot_);
  slot_ = -1;
  mode_ = Mode::kNone;
  write_path_.clear();
}
