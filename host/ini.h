// WDIniObj: options in the suite's Windows-style INI file ("tolvane.ini").
//
// Format: "[SECTION]" lines, "Key=Value" lines, comments starting with ';' or
// '#', blank lines. Section and key names compare case-insensitively (as on
// Windows); values are kept byte for byte (UTF-8), leading and trailing
// blanks trimmed. The first occurrence of a section/key pair wins. A UTF-8
// byte-order mark is skipped; "\r\n" files read like "\n" files.
//
// Reading: the file is parsed on first use and cached for the whole process
// (every WDIniObj on the same path shares it); each read costs one stat() and
// the file is parsed again only when its inode, size or modification time
// changed.
// An unreadable, missing or malformed file reads as defaults; malformed lines
// are skipped, never fatal.
//
// Writing: write_secini changes one key (adding the section or key when
// missing) and keeps every other section, key, comment and blank line as it
// was, byte for byte, with the file's own line endings ("\r\n" files stay
// "\r\n") and byte-order mark. The new file is written to a temporary file in
// the same folder, fsync'ed and renamed over the old one (keeping its
// permissions), then the folder is fsync'ed, so a crash never leaves a
// half-written or empty file. Temporary files of writers killed before
// their rename are removed by a later write once they are ten minutes old.
// A missing folder is created. A file that exists but cannot be read is
// never replaced.
#pragma once

#include <map>
#include <string>
#include <string_view>

class WDIniObj {
 public:
  // path: the INI file; empty = DefaultIniPath().
  explicit WDIniObj(std::string path = std::string());

  // Copies the stored value (or def when the key is absent) into buffer,
  // truncated to capacity-1 bytes (never inside a UTF-8 character) and
  // terminated. Returns the length written; 0 when buffer is null or
  // capacity < 1. A null def reads as "".
  int read_secini(const char* section, const char* key, const char* def, char* buffer,
                  int capacity) const;
  // Same, without a capacity.
  std::string read_secini(const std::string& section, const std::string& key,
                          const std::string& def) const;

  // Stores value; false (and LastError, in French) when the file could not be
  // written. As on Windows, a null value removes the key and a null key
  // removes the whole section (every occurrence of it). Line breaks in value
  // become blanks. A new key goes after the last key of its section; a new
  // section at the end. Names are trimmed of blanks; a name that could not be
  // read back as written is refused (false, nothing written): an empty
  // name, a line break in either, ']' in a section, '=' in a key or a key
  // starting with '[', ';' or '#'.
  bool write_secini(const char* section, const char* key, const char* value);

  const std::string& Path() const { return path_; }
  const std::string& LastError() const { return error_; }

 private:
  std::string path_;
  mutable std::string error_;
};

// The text operations behind WDIniObj, on a file's content in memory:
// IniEditText gives the content write_secini would store (section and key
// already valid, see IniNameError); IniReadText finds a key as read_secini
// does (false when absent).
std::string IniEditText(std::string_view content, std::string_view section, const char* key,
                        const char* value);
bool IniReadText(std::string_view content, std::string_view section, std::string_view key,
                 std::string* value);
// Every value the reader sees: lower-case section -> lower-case key -> value.
std::map<std::string, std::map<std::string, std::string>> IniReadAllText(std::string_view content);
// Why write_secini would refuse these names (key null: a whole section);
// "" when they are valid.
std::string IniNameError(const char* section, const char* key);

// Where the suite's INI file lives: $VANTRA_INI when set, else
// $XDG_CONFIG_HOME/vantra/tolvane.ini, else ~/.config/vantra/tolvane.ini.
std::string DefaultIniPath();
