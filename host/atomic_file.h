// AtomicFile: a file that appears under its final name whole or not at all.
//
// Every export (text, tsv, csv, xlsx, pdf, png) and the INI writer write
// into a temporary file beside the final one (".NAME.XXXXXX.PID@HOST.vantra-tmp",
// same folder, so the rename cannot cross file systems) and put it in place
// with Commit():
//   1. flush and check the stream (ferror, fclose), or for a writer that
//      wrote the path itself, reopen it;
//   2. fsync the file, give it its permissions (an existing file's mode is
//      kept; a new one gets 0666 less the umask);
//   3. rename it over the final name (CommitNew: under the first free name
//      of NAME.EXT, "NAME (2).EXT", ...), then fsync the folder;
//   4. remove the left-overs of writers of NAME killed on this host (only
//      names of the form above whose process has ended).
// When any step fails, or the object is destroyed without Commit, the
// temporary file is removed and the final name is untouched: an older file
// stays byte for byte as it was, a missing one stays missing. A disk that
// fills up (ENOSPC), a file-size limit (EFBIG; the programs ignore SIGXFSZ
// so the write fails instead of killing them) or a quota all end the same
// way: false with one line naming the file and the system's reason.
//
//   AtomicFile out;
//   if (!out.Open(path, &error)) return false;      // stdio writers
//   std::fputs(text, out.File());
//   return out.Commit(&error);
//
//   AtomicFile out;
//   if (!out.OpenForPath(path, &error)) return false; // writers that need a path
//   workbook_new(out.WritePath().c_str()) ... workbook_close(...) checked
//   return out.Commit(&error);
//
// Not every path is replaced through a temporary file:
//   ""                      standard output (Open only): spooled into an
//                           unnamed file of $TMPDIR and copied whole by
//                           Commit; nothing reaches standard output when
//                           the run ends before Commit
//   an existing device or   (/dev/null, /dev/stdout, a FIFO) written
//   pipe                    directly; Commit reports a write error
//   a symbolic link         its target is replaced; the link stays
// Refused at Open, before anything is written: a path that is a folder, a
// missing or unwritable folder.
//
// Messages are French: "impossible d'écrire /tmp/liste.csv : Fichier trop
// volumineux". Reason() gives the part after the colon, for callers that
// word the start of the line themselves. Not thread-safe (one writer per
// object); several objects may write into one folder at once.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct AtomicFileStream;

class AtomicFile {
 public:
  AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  // Abandons the file when it was not committed.
  ~AtomicFile();

  // Opens a temporary file beside path for writing through File(); path ""
  // is standard output. False with *error when the folder is missing or
  // cannot be written, or path is a folder.
  bool Open(const std::string& path, std::string* error);
  // Reserves a temporary file beside path (created empty) for a writer
  // that opens WritePath() itself (libxlsxwriter, QPrinter, QImage). Same
  // refusals as Open; path must not be "".
  bool OpenForPath(const std::string& path, std::string* error);

  // The stream after Open (for "", a stream of its own over standard
  // output's descriptor, opened after flushing stdout); null otherwise.
  FILE* File() const { return file_; }
  // Where the writer writes: the temporary file, or the final path when it
  // is written directly (a device).
  const std::string& WritePath() const { return write_path_; }
  // The final path as given ("" for standard output).
  const std::string& Path() const { return path_; }
  // True when the writer writes straight into the final path or standard
  // output (nothing to check or rename; see above).
  bool Direct() const { return mode_ == Mode::kDirect || mode_ == Mode::kStandardOutput; }

  // Puts the file in place (see above). False with *error, the temporary
  // file removed and the final name untouched. Call once.
  bool Commit(std::string* error);
  // Commit for a new file that must not replace any other: the first free
  // name among path, "path (2)", "path (3)" ... (before the extension),
  // taken atomically; Path() gives the name used. Like Commit for standard
  // output and devices.
  bool CommitNew(std::string* error);
  // Removes the temporary file (closing the stream); the final name is
  // untouched. Done by the destructor when Commit was not called.
  void Abandon();

  // The system's reason of the last failure ("Fichier trop volumineux").
  const std::string& Reason() const { return reason_; }

 private:
  enum class Mode { kNone, kTemporary, kDirect, kStandardOutput };
  bool Start(const std::string& path, bool stream, std::string* error);
  bool AttachStream(int fd, std::string* error);
  // 0, an errno value, or -1 for a failure without one.
  int FlushStream();
  int CloseStream();
  bool Fail(int err, std::string* error);
  bool Fail(const std::string& reason, std::string* error);
  int CopySpoolToStandardOutput();

  Mode mode_ = Mode::kNone;
  std::string path_;        // as given
  std::string target_;      // what is replaced (a link's target)
  std::string write_path_;  // temporary file or target
  FILE* file_ = nullptr;
  std::unique_ptr<AtomicFileStream> stream_;  // behind file_
  int fd_ = -1;                              // file_'s descriptor
  unsigned mode_bits_ = 0644;
  std::string reason_;
  int slot_ = -1;          // in the interrupt clean-up's table
  bool new_name_ = false;  // CommitNew
};

// Makes SIGINT, SIGTERM and SIGHUP end the process at once, after removing
// every temporary file in use (AtomicFile's and TemporaryFileGuard's) and
// printing "PROGRAM : interrompu (Ctrl+C), rien n'est écrit" (or "arrêté
// par un signal"); the process then ends by the signal, as the shell
// expects. The final names are untouched. A SIGBUS (a mapped file cut
// short by another program) removes them too and ends the run with one
// line and status 1.
void InstallInterruptCleanup(const char* program);

// Registers a file that a signal must remove while the guard lives (a
// database being built under a temporary name; with sqlite_companions its
// -journal, -wal and -shm files too). The owner removes it otherwise.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard(const std::string& path, bool sqlite_companions);
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
  ~TemporaryFileGuard();

 private:
  int slot_;
};

// The system's text for errno value err, in French for the errors a file
// write meets (ENOSPC "Aucun espace disponible sur le périphérique", EFBIG
// "Fichier trop volumineux", EACCES, EROFS, EDQUOT, EIO, ENOENT ...), the C
// library's text otherwise; the programs run in any locale.
std::string FileErrorText(int err);
