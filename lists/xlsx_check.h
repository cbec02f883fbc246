// Reading a written workbook back, to tell a whole one from one cut short
// by a full disk or a file-size limit (libxlsxwriter does not check the
// writes to its own temporary files, so it reports success for those).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whether the workbook at path is whole: every XML part of its zip inflates
// to its recorded size and CRC and ends with its root element's closing
// tag. WriteListXlsx checks its file with it before putting it in place.
// False with a French *reason ("le classeur est incomplet
// (xl/worksheets/sheet1.xml tronqué)").
bool XlsxPartsComplete(const std::string& path, std::string* reason);

// The same, giving also the recorded size of the first part found cut.
bool CheckXlsxParts(const std::string& path, std::string* reason, uint64_t* cut_size);

// Why a part of cut_size bytes came out cut short, when the system's state
// tells: a file-size limit it reached (EFBIG) or one of folders (where the
// library writes) left without room (ENOSPC); 0 when neither.
int TruncationErrno(uint64_t cut_size, const std::vector<std::string>& folders);
