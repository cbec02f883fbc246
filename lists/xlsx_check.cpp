// Reading a written workbook back.
//
// libxlsxwriter writes each sheet's XML into a temporary file of its own and
// copies that into the zip, without checking either write: a sheet cut short
// by a full disk or a size limit is zipped as it is, and workbook_close
// reports success. So the workbook is read back: every XML part of the zip
// must inflate to its recorded size and CRC and end with its root element's
// closing tag.
#include "lists/xlsx_check.h"

#include <sys/resource.h>
#include <sys/statvfs.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

uint32_t Le(const unsigned char* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}
uint64_t Le64(const unsigned char* p) { return uint64_t{Le(p + 4, 4)} << 32 | Le(p, 4); }

class ZipReader {
 public:
  explicit ZipReader(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {}
  ~ZipReader() {
    if (f_) std::fclose(f_);
  }
  bool Read(uint64_t at, void* out, size_t n) {
    return f_ && ::fseeko(f_, static_cast<off_t>(at), SEEK_SET) == 0 && std::fread(out, 1, n, f_) == n;
  }
  uint64_t Size() {
    if (!f_ || ::fseeko(f_, 0, SEEK_END) != 0) return 0;
    return static_cast<uint64_t>(::ftello(f_));
  }
  FILE* File() { return f_; }

 private:
  FILE* f_;
};

// The name of the root element of an XML text's start ("" when none), and
// whether its start tag closes itself ("<sst .../>").
std::string RootElement(std::string_view head, bool* self_closing) {
  size_t at = 0;
  for (;;) {
    at = head.find('<', at);
    if (at == std::string_view::npos || at + 1 >= head.size()) return std::string();
    if (head[at + 1] != '?' && head[at + 1] != '!') break;
    ++at;
  }
  const size_t end = head.find_first_of(" \t\r\n/>", at + 1);
  if (end == std::string_view::npos) return std::string();
  const size_t close = head.find('>', end);
  *self_closing = close != std::string_view::npos && close > 0 && head[close - 1] == '/';
  return std::string(head.substr(at + 1, end - at - 1));
}

// Inflates one entry (method 0 or 8) from the reader's current position,
// keeping the first and last bytes of its text; false on a damaged stream.
bool InflateEntry(FILE* f, int method, uint64_t compressed, uint64_t expected_size, uint32_t expected_crc,
                  std::string* head, std::string* tail) {
  z_stream z = {};
  if (method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  std::vector<unsigned char> in(1 << 16), out(1 << 16);
  uint64_t left = compressed, produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  bool ok = true, done = false;
  auto take = [&](const unsigned char* data, size_t n) {
    crc = crc32(crc, data, static_cast<uInt>(n));
    produced += n;
    if (head->size() < 512) head->append(reinterpret_cast<const char*>(data), std::min<size_t>(n, 512 - head->size()));
    tail->append(reinterpret_cast<const char*>(data), n);
    if (tail->size() > 64) tail->erase(0, tail->size() - 64);
  };
  while (ok && !done && left > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
    if (std::fread(in.data(), 1, n, f) != n) {
      ok = false;
      break;
    }
    left -= n;
    if (method == 0) {
      take(in.data(), n);
      continue;
    }
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    while (ok && z.avail_in > 0 && !done) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(&z, Z_NO_FLUSH);
      take(out.data(), out.size() - z.avail_out);
      if (rc == Z_STREAM_END) done = true;
      else if (rc != Z_OK && rc != Z_BUF_ERROR) ok = false;
      else if (rc == Z_BUF_ERROR && z.avail_out == out.size()) ok = false;
    }
  }
  if (method == 8) {
    // Flush what the last input left inside zlib.
    while (ok && !done) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(&z, Z_FINISH);
      take(out.data(), out.size() - z.avail_out);
      if (rc == Z_STREAM_END) done = true;
      else if (z.avail_out == out.size()) ok = false;
    }
    inflateEnd(&z);
  }
  return ok && produced == expected_size && static_cast<uint32_t>(crc) == expected_crc;
}

}  // namespace

bool CheckXlsxParts(const std::string& path, std::string* reason, uint64_t* cut_size) {
  ZipReader zip(path);
  const uint64_t size = zip.Size();
  if (size < 22) {
    *reason = "le classeur est vide ou tronqué";
    return false;
  }
  // End of central directory: the last 22 bytes, or earlier behind a comment.
  const uint64_t span = std::min<uint64_t>(size, 65535 + 22);
  std::vector<unsigned char> end(span);
  if (!zip.Read(size - span, end.data(), span)) {
    *reason = "le classeur ne peut pas être relu";
    return false;
  }
  long eocd = -1;
  for (long i = static_cast<long>(span) - 22; i >= 0; --i) {
    if (Le(&end[i], 4) == 0x06054b50) {
      eocd = i;
      break;
    }
  }
  if (eocd < 0) {
    *reason = "le classeur est tronqué (fin du zip absente)";
    return false;
  }
  uint64_t entries = Le(&end[eocd + 10], 2);
  uint64_t cd_offset = Le(&end[eocd + 16], 4);
  if (eocd >= 20 && Le(&end[eocd - 20], 4) == 0x07064b50) {
    unsigned char z64[56];
    if (!zip.Read(Le64(&end[eocd - 20 + 8]), z64, sizeof z64) || Le(z64, 4) != 0x06064b50) {
      *reason = "le classeur est tronqué (zip64)";
      return false;
    }
    entries = Le64(z64 + 32);
    cd_offset = Le64(z64 + 48);
  }
  uint64_t at = cd_offset;
  for (uint64_t e = 0; e < entries; ++e) {
    unsigned char cd[46];
    if (!zip.Read(at, cd, sizeof cd) || Le(cd, 4) != 0x02014b50) {
      *reason = "le classeur est tronqué (répertoire)";
      return false;
    }
    const int method = static_cast<int>(Le(cd + 10, 2));
    const uint32_t crc = Le(cd + 16, 4);
    uint64_t csize = Le(cd + 20, 4), usize = Le(cd + 24, 4), local = Le(cd + 42, 4);
    const size_t name_len = Le(cd + 28, 2), extra_len = Le(cd + 30, 2), comment_len = Le(cd + 32, 2);
    std::string name(name_len, '\0');
    std::vector<unsigned char> extra(extra_len);
    if (!zip.Read(at + 46, name.data(), name_len) || !zip.Read(at + 46 + name_len, extra.data(), extra_len)) {
      *reason = "le classeur est tronqué (répertoire)";
      return false;
    }
    for (size_t x = 0; x + 4 <= extra_len;) {
      const uint32_t id = Le(&extra[x], 2), len = Le(&extra[x + 2], 2);
      size_t f = x + 4;
      if (id == 1) {
        for (uint64_t* v : {&usize, &csize, &local}) {
          if (*v == 0xFFFFFFFFu && f + 8 <= x + 4 + len && f + 8 <= extra_len) {
            *v = Le64(&extra[f]);
            f += 8;
          }
        }
      }
      x += 4 + len;
    }
    at += 46 + name_len + extra_len + comment_len;
    const bool xml = name.size() > 4 && (name.compare(name.size() - 4, 4, ".xml") == 0 ||
                                         name.compare(name.size() - 5, 5, ".rels") == 0);
    if (!xml) continue;
    unsigned char lh[30];
    if (!zip.Read(local, lh, sizeof lh) || Le(lh, 4) != 0x04034b50 ||
        ::fseeko(zip.File(), static_cast<off_t>(local + 30 + Le(lh + 26, 2) + Le(lh + 28, 2)), SEEK_SET) != 0) {
      *reason = "le classeur est tronqué (" + name + ")";
      return false;
    }
    std::string head, tail;
    bool self_closing = false;
    bool ok = (method == 0 || method == 8) && InflateEntry(zip.File(), method, csize, usize, crc, &head, &tail);
    std::string root = ok ? RootElement(head, &self_closing) : std::string();
    while (!tail.empty() && std::strchr(" \t\r\n", tail.back())) tail.pop_back();
    const std::string closing = "</" + root + ">";
    ok = ok && !root.empty() &&
         ((tail.size() >= closing.size() && tail.compare(tail.size() - closing.size(), closing.size(), closing) == 0) ||
          (self_closing && usize <= head.size() && !tail.empty() && tail.back() == '>'));
    if (!ok) {
      *reason = "le classeur est incomplet (" + name + " tronqué)";
      *cut_size = usize;
      return false;
    }
  }
  return true;
}

int TruncationErrno(uint64_t cut_size, const std::vector<std::string>& folders) {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && cut_size >= limit.rlim_cur) {
    return EFBIG;
  }
  for (const std::string& folder : folders) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0 && uint64_t{fs.f_bavail} * fs.f_frsize < (1u << 20)) return ENOSPC;
  }
  return 0;
}

bool XlsxPartsComplete(const std::string& path, std::string* reason) {
  uint64_t cut_size = 0;
  return CheckXlsxParts(path, reason, &cut_size);
}
