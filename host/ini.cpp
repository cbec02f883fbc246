// WDIniObj over a process-wide cache of parsed INI files.
//
// Each file is parsed once into a map (lower-cased section and key -> value)
// and re-parsed only when stat() shows another inode, size or modification
// time, so a dialog reading twenty keys costs twenty stat calls and one
// parse. Writing edits the file's lines in place (every other line is kept
// byte for byte, line endings included) and replaces the file atomically.

#include "host/ini.h"

#include "host/atomic_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace {

struct FileStamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtime_ns = 0;
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size && mtime_ns == o.mtime_ns;
  }
};

// section (lower case) -> key (lower case) -> value; the first occurrence of
// a section/key pair wins, as on Windows.
using IniMap = std::unordered_map<std::string, std::unordered_map<std::string, std::string>>;

struct CachedFile {
  FileStamp stamp;
  IniMap values;
};

std::mutex g_mutex;
std::map<std::string, CachedFile>& Cache() {
  static auto* cache = new std::map<std::string, CachedFile>();
  return *cache;
}

FileStamp StampOf(const std::string& path) {
  FileStamp s;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  }
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A line as the parser sees it.
enum class LineKind { kOther, kSection, kKey };
struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key, trimmed
  std::string_view value;  // key lines: trimmed value
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine p;
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#') return p;
  if (t.front() == '[') {
    size_t close = t.find(']');
    if (close == std::string_view::npos) return p;  // malformed header
    p.kind = LineKind::kSection;
    p.name = Trim(t.substr(1, close - 1));
    return p;
  }
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return p;
  std::string_view key = Trim(t.substr(0, eq));
  if (key.empty()) return p;
  p.kind = LineKind::kKey;
  p.name = key;
  p.value = Trim(t.substr(eq + 1));
  return p;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Splits content into lines without their "\n"; *crlf tells whether the
// first line ending is "\r\n". A line's '\r' before its "\n" is removed,
// or kept when keep_cr is true (so that a rewrite gives each line its own
// ending back). The BOM, when present, is removed.
std::vector<std::string_view> SplitLines(std::string_view content, bool* had_bom, bool* crlf,
                                         bool keep_cr = false) {
  *had_bom = content.substr(0, kBom.size()) == kBom;
  if (*had_bom) content.remove_prefix(kBom.size());
  size_t first_nl = content.find('\n');
  *crlf = first_nl != std::string_view::npos && first_nl > 0 && content[first_nl - 1] == '\r';
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t nl = content.find('\n', start);
    size_t end = nl == std::string_view::npos ? content.size() : nl;
    std::string_view line = content.substr(start, end - start);
    if (!keep_cr && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

IniMap Parse(std::string_view content) {
  IniMap map;
  bool bom, crlf;
  std::unordered_map<std::string, std::string>* section = nullptr;
  bool in_bad_header = false;
  for (std::string_view line : SplitLines(content, &bom, &crlf)) {
    ParsedLine p = ParseLine(line);
    if (p.kind == LineKind::kSection) {
      section = &map[Lower(p.name)];
      in_bad_header = false;
    } else if (p.kind == LineKind::kKey && section != nullptr && !in_bad_header) {
      section->emplace(Lower(p.name), std::string(p.value));
    } else if (p.kind == LineKind::kOther) {
      std::string_view t = Trim(line);
      // Keys under a broken "[SECTION" header belong to no section.
      if (!t.empty() && t.front() == '[') in_bad_header = true;
    }
  }
  return map;
}

// Reads a whole file; false when it cannot be opened or read.
bool ReadFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  *content = buffer.str();
  return true;
}

// The cached map of path, refreshed when the file changed. Called with
// g_mutex held.
const IniMap& LoadLocked(const std::string& path) {
  CachedFile& entry = Cache()[path];
  FileStamp stamp = StampOf(path);
  if (stamp == entry.stamp && (stamp.exists || entry.values.empty())) return entry.values;
  entry.stamp = stamp;
  entry.values.clear();
  std::string content;
  if (stamp.exists && ReadFile(path, &content)) entry.values = Parse(content);
  return entry.values;
}

// Length of the longest prefix of s that fits in max_bytes without cutting
// a UTF-8 sequence.
size_t Utf8Prefix(std::string_view s, size_t max_bytes) {
  if (s.size() <= max_bytes) return s.size();
  size_t n = max_bytes;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return n;
}

std::string ErrnoText(int err) { return FileErrorText(err); }

// Replaces path by content through a temporary file in the same folder
// (AtomicFile: fsync, rename, fsync of the folder; the file's mode kept).
bool ReplaceFile(const std::string& path, const std::string& content, std::string* error) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    *error = "Impossible de créer le dossier " + folder.string() + " : " + FileErrorText(ec.value());
    return false;
  }
  AtomicFile file;
  if (file.Open(path, nullptr)) {
    std::fwrite(content.data(), 1, content.size(), file.File());
    if (file.Commit(nullptr)) return true;
  }
  *error = "Impossible d'écrire le fichier d'options " + path + " : " + file.Reason();
  return false;
}

// A line the reader takes for a broken section header ("[NAME" without its
// ']'): it ends the section before it, and its keys belong to no section.
bool IsBrokenHeader(std::string_view line, const ParsedLine& p) {
  if (p.kind != LineKind::kOther) return false;
  std::string_view t = Trim(line);
  return !t.empty() && t.front() == '[';
}

// Rewrites content with key of section set to value (value null: the key is
// removed; key null: the whole section is removed). A section's blocks end
// where the reader's do: at the next header, broken or not. Setting changes
// the first block (where the reader finds the key first); removing clears
// every block, so the reader finds nothing afterwards.
std::string EditContent(std::string_view content, std::string_view section, const char* key_text,
                        const char* value) {
  // Lines keep their '\r': every line not edited is written back with its
  // own ending, and new lines get the file's first line ending.
  bool bom, crlf;
  std::vector<std::string_view> lines = SplitLines(content, &bom, &crlf, /*keep_cr=*/true);
  const bool had_final_newline = !content.empty() && content.back() == '\n';
  const std::string cr = crlf ? "\r" : "";
  const std::string lower_section = Lower(section);
  const std::string_view key = key_text ? Trim(key_text) : std::string_view();
  const std::string lower_key = Lower(key);

  std::string clean_value;
  if (value) {
    clean_value = value;
    for (char& c : clean_value) {
      if (c == '\n' || c == '\r') c = ' ';  // one value, one line
    }
  }

  // The first block's header and last key line (a new key goes after it,
  // so comments and blank lines that lead into the next section stay where
  // they are), the key's line in it, and the lines a removal drops.
  long header = -1, last_key = -1, key_line = -1;
  std::vector<bool> drop(lines.size(), false);
  bool in_section = false, in_first = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    ParsedLine p = ParseLine(lines[i]);
    const long at = static_cast<long>(i);
    if (p.kind == LineKind::kSection) {
      in_section = Lower(p.name) == lower_section;
      in_first = in_section && header < 0;
      if (in_first) header = last_key = at;
      if (in_section && !key_text) drop[i] = true;
      continue;
    }
    if (IsBrokenHeader(lines[i], p)) {
      in_section = in_first = false;
      continue;
    }
    if (!in_section) continue;
    if (!key_text) {
      drop[i] = true;
      continue;
    }
    if (p.kind != LineKind::kKey) continue;
    if (in_first) last_key = at;
    if (Lower(p.name) != lower_key) continue;
    if (!value) {
      drop[i] = true;
    } else if (in_first && key_line < 0) {
      key_line = at;
    }
  }

  std::vector<std::string> out;
  out.reserve(lines.size() + 3);
  auto copy_range = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) out.emplace_back(lines[i]);
  };

  if (header < 0) {
    copy_range(0, lines.size());
    if (key_text && value) {
      // Keep a blank line between the last section and the new one.
      if (!out.empty() && !Trim(out.back()).empty()) out.push_back(cr);
      out.push_back("[" + std::string(section) + "]" + cr);
      out.push_back(std::string(key) + "=" + clean_value + cr);
    }
  } else if (!key_text || !value) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!drop[i]) out.emplace_back(lines[i]);
    }
  } else if (key_line >= 0) {
    copy_range(0, static_cast<size_t>(key_line));
    // Keep the key as it was spelt and the line's indentation.
    std::string_view line = lines[static_cast<size_t>(key_line)];
    size_t eq = line.find('=');
    std::string_view left = line.substr(0, eq);
    while (!left.empty() && IsBlank(left.back())) left.remove_suffix(1);
    out.push_back(std::string(left) + "=" + clean_value + (line.back() == '\r' ? "\r" : ""));
    copy_range(static_cast<size_t>(key_line) + 1, lines.size());
  } else {
    copy_range(0, static_cast<size_t>(last_key) + 1);
    out.push_back(std::string(key) + "=" + clean_value + cr);
    copy_range(static_cast<size_t>(last_key) + 1, lines.size());
  }

  std::string result;
  if (bom) result.append(kBom);
  for (size_t i = 0; i < out.size(); ++i) {
    result += out[i];
    if (i + 1 < out.size() || had_final_newline || out.size() != lines.size()) result += '\n';
  }
  return result;
}

}  // namespace

std::string DefaultIniPath() {
  if (const char* env = std::getenv("VANTRA_INI"); env && *env) return env;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/vantra/tolvane.ini";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/vantra/tolvane.ini";
  return "tolvane.ini";
}

std::string IniNameError(const char* section, const char* key) {
  if (section == nullptr || Trim(section).empty()) return "Section d'options vide";
  std::string_view s = Trim(section);
  if (s.find_first_of("]\r\n") != std::string_view::npos) {
    return "Nom de section d'options invalide : « " + std::string(s) + " »";
  }
  if (key == nullptr) return std::string();
  std::string_view k = Trim(key);
  if (k.empty()) return "Clé d'options vide";
  if (k.find_first_of("=\r\n") != std::string_view::npos || k.front() == '[' || k.front() == ';' ||
      k.front() == '#') {
    return "Nom de clé d'options invalide : « " + std::string(k) + " »";
  }
  return std::string();
}

std::string IniEditText(std::string_view content, std::string_view section, const char* key,
                        const char* value) {
  return EditContent(content, Trim(section), key, value);
}

bool IniReadText(std::string_view content, std::string_view section, std::string_view key,
                 std::string* value) {
  const IniMap map = Parse(content);
  auto s = map.find(Lower(Trim(section)));
  if (s == map.end()) return false;
  auto k = s->second.find(Lower(Trim(key)));
  if (k == s->second.end()) return false;
  *value = k->second;
  return true;
}

std::map<std::string, std::map<std::string, std::string>> IniReadAllText(std::string_view content) {
  std::map<std::string, std::map<std::string, std::string>> all;
  for (auto& [section, keys] : Parse(content)) all[section].insert(keys.begin(), keys.end());
  return all;
}

WDIniObj::WDIniObj(std::string path) : path_(path.empty() ? DefaultIniPath() : std::move(path)) {}

std::string WDIniObj::read_secini(const std::string& section, const std::string& key, const std::string& def) const {
  std::lock_guard<std::mutex> lock(g_mutex);
  const IniMap& map = LoadLocked(path_);
  auto s = map.find(Lower(Trim(section)));
  if (s == map.end()) return def;
  auto k = s->second.find(Lower(Trim(key)));
  return k == s->second.end() ? def : k->second;
}

int WDIniObj::read_secini(const char* section, const char* key, const char* def, char* buffer,
                          int capacity) const {
  if (buffer == nullptr || capacity <= 0) return 0;
  std::string value = def ? def : "";
  if (section && key) value = read_secini(std::string(section), std::string(key), value);
  size_t n = Utf8Prefix(value, static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

bool WDIniObj::write_secini(const char* section, const char* key, const char* value) {
  error_ = IniNameError(section, key);
  if (!error_.empty()) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  // Write through a symbolic link rather than replacing it.
  std::string target = path_;
  std::error_code ec;
  if (std::filesystem::is_symlink(target, ec)) {
    auto resolved = std::filesystem::weakly_canonical(target, ec);
    if (!ec) target = resolved.string();
  }

  std::string content;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode)) {
      error_ = "Le fichier d'options " + target + " n'est pas un fichier ordinaire";
      return false;
    }
    // Never replace a file we could not read: its content would be lost.
    if (!ReadFile(target, &content)) {
      error_ = "Impossible de lire le fichier d'options " + target + " : " + ErrnoText(errno);
      return false;
    }
  } else if (errno != ENOENT) {
    error_ = "Impossible d'accéder au fichier d'options " + target + " : " + ErrnoText(errno);
    return false;
  }

  std::string updated = EditContent(content, Trim(section), key, value);
  if (updated == content && (exists || updated.empty())) return true;
  if (!ReplaceFile(target, updated, &error_)) return false;
  // Drop the cached copies so the next read sees the new file.
  Cache().erase(target);
  Cache().erase(path_);
  return true;
}
