// AtomicFile: temporary file beside the final one, fsync, rename, fsync of
// the folder.

#include "host/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

// A writer killed between mkstemp and rename leaves its temporary file
// (".NAME.XXXXXX") behind. Those older than kStaleTemporarySeconds are
// removed after each successful commit to the same name; a younger one may
// belong to a writer still at work in another process.
constexpr int kStaleTemporarySeconds = 600;

void RemoveStaleTemporaries(const fs::path& folder, const std::string& name) {
  const std::string lead = "." + name + ".";
  const auto now = fs::file_time_type::clock::now();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() != lead.size() + 6 || file.compare(0, lead.size(), lead) != 0) continue;
    std::error_code stat_ec;
    if (!it->is_regular_file(stat_ec) || stat_ec) continue;
    const auto written = it->last_write_time(stat_ec);
    if (stat_ec || now - written < std::chrono::seconds(kStaleTemporarySeconds)) continue;
    fs::remove(it->path(), stat_ec);
  }
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
    stream_ = std::make_unique<AtomicFileStream>();
    stream_->own_fd = false;
    file_ = OpenStream(STDOUT_FILENO, stream_.get());
    if (!file_) {
      stream_.reset();
      return Fail(errno, error);
    }
    fd_ = STDOUT_FILENO;
    return true;
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
  std::string temp = (folder / ("." + fs::path(target_).filename().string() + ".XXXXXX")).string();
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return Fail(errno, error);
  mode_ = Mode::kTemporary;
  write_path_ = name.data();
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
  if (mode_ == Mode::kStandardOutput || mode_ == Mode::kDirect) {
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
  if (::rename(write_path_.c_str(), target_.c_str()) != 0) return Fail(errno, error);
  const fs::path folder = FolderOf(target_);
  SyncFolder(folder);
  RemoveStaleTemporaries(folder, fs::path(target_).filename().string());
  mode_ = Mode::kNone;
  write_path_.clear();
  return true;
}

void AtomicFile::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  stream_.reset();
  fd_ = -1;
  if (mode_ == Mode::kTemporary) ::unlink(write_path_.c_str());
  mode_ = Mode::kNone;
  write_path_.clear();
}
