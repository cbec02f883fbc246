// WDIniObj: options in the suite's Windows-style INI file ("tolvane.ini").
//
// Format: "[SECTION]" lines, "Key=Value" lines, comments starting with ';' or
// '#', blank lines. Section and key names compare case-insensitively (as on
// Windows); values are kept byte for byte (UTF-8), trailing blanks trimmed.
//
// Reading: the file is read on each read_secini call's first use and cached;
// the cache is refreshed when the file's modification time or size changes.
// An unreadable, missing or malformed file reads as defaults; malformed lines
// are skipped, never fatal.
//
// Writing: write_secini changes one key (adding the section or key when
// missing) and keeps every other section, key, comment and blank line as it
// was. The new file is written to a temporary file in the same folder and
// renamed over the old one, so a crash never leaves a half-written file.
#pragma once

#include <string>

class WDIniObj {
 public:
  // path: the INI file; empty = DefaultIniPath().
  explicit WDIniObj(std::string path = std::string());

  // Copies the stored value (or def when the key is absent) into buffer,
  // truncated to capacity-1 bytes and terminated. Returns the length written.
  int read_secini(const char* section, const char* key, const char* def, char* buffer,
                  int capacity) const;
  // Same, without a capacity.
  std::string read_secini(const std::string& section, const std::string& key,
                          const std::string& def) const;

  // Stores value; false (and LastError) when the file could not be written.
  bool write_secini(const char* section, const char* key, const char* value);

  const std::string& Path() const { return path_; }
  const std::string& LastError() const { return error_; }

 private:
  std::string path_;
  mutable std::string error_;
};

// Where the suite's INI file lives: $VANTRA_INI when set, else
// $XDG_CONFIG_HOME/vantra/tolvane.ini, else ~/.config/vantra/tolvane.ini.
std::string DefaultIniPath();
