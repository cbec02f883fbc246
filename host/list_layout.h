// List-layout resources: the column layout of each list view, stored as
// binary blocks in the module's resources and applied to a QenListWindow.
//
// A list block (little-endian, unaligned, 8 + 9*n bytes):
//   u32 list style (0x98 in every layout of the module)
//   u16 column count n
//   n times: u16 width in average character widths, u16 heading string id
//            (host string table), u16 alignment (0 left, 1 right), then
//            the three bytes 1, 0, 0
//   u16 extended list-view style (0x21 grid lines + full-row selection,
//       0x25 the same with check boxes)
//
// A bare resource (300, 301) is one list block. A dialog resource (same id
// as the dialog) is a sequence of records ended by a u16 0:
//   type 2, a list:       u16 2, u16 control id, list block
//   type 3, a button bar: u16 3, u16 control id, u32 0, u16 button count,
//                         per button u16 bitmap id, u16 command id
//
// Worked example, resource 2004 (one list 5111 with two columns):
//   02 00  F7 13                      record type 2, control 5111
//   98 00 00 00  02 00                style 0x98, 2 columns
//   03 00 4E 27 00 00 01 00 00        width 3, heading 10062, left, 1 0 0
//   0E 00 63 27 00 00 01 00 00        width 14, heading 10083, left, 1 0 0
//   25 00                             extended style 0x25
//   00 00                             end of records
//
// The readers never read past the end of their input: a truncated block, an
// unknown record type, a trailing byte after the end marker or a bad column
// trailer is refused with a French message naming the offset.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class QenListWindow;

struct LayoutColumn {
  uint16_t width_chars = 0;
  uint16_t title_id = 0;  // host string id; 0 = no heading
  uint16_t align = 0;     // 0 left, 1 right
  bool operator==(const LayoutColumn&) const = default;
};

// Extended list-view style bits.
inline constexpr uint16_t kLvExGridLines = 0x01;
inline constexpr uint16_t kLvExCheckBoxes = 0x04;
inline constexpr uint16_t kLvExFullRowSelect = 0x20;
inline constexpr uint16_t kLvExResultList = kLvExGridLines | kLvExFullRowSelect;  // 0x21
inline constexpr uint16_t kLvExCheckList = kLvExResultList | kLvExCheckBoxes;     // 0x25
inline constexpr uint32_t kLayoutListStyle = 0x98;

struct ListLayout {
  uint32_t style = kLayoutListStyle;
  std::vector<LayoutColumn> columns;
  uint16_t ex_style = kLvExResultList;
  bool operator==(const ListLayout&) const = default;
};

struct BarButton {
  uint16_t bitmap_id = 0;
  uint16_t command_id = 0;
  bool operator==(const BarButton&) const = default;
};

struct ButtonBarLayout {
  uint16_t control_id = 0;
  std::vector<BarButton> buttons;
  bool operator==(const ButtonBarLayout&) const = default;
};

struct DialogListLayout {
  uint16_t control_id = 0;
  ListLayout layout;
  bool operator==(const DialogListLayout&) const = default;
};

// The records of a dialog resource, each kind in resource order. (The
// writer emits the lists first, then the bars.)
struct DialogLayout {
  std::vector<DialogListLayout> lists;
  std::vector<ButtonBarLayout> bars;
  bool operator==(const DialogLayout&) const = default;

  // The list record of control_id, or null.
  const ListLayout* FindList(int control_id) const;
};

// --- writer -----------------------------------------------------------------
// Appends the encoding to *out. Counts above 65535 are a programmer error.
void AppendListBlock(const ListLayout& layout, std::vector<uint8_t>* out);
std::vector<uint8_t> EncodeListBlock(const ListLayout& layout);
std::vector<uint8_t> EncodeDialogLayout(const DialogLayout& layout);

// --- reader -----------------------------------------------------------------
// Reads one list block at the start of data. On success fills *layout, sets
// *consumed (when not null) to the bytes read and returns true. On failure
// returns false with *error (when not null) set; *layout is unspecified.
bool DecodeListBlock(std::span<const uint8_t> data, ListLayout* layout, size_t* consumed,
                     std::string* error);
// A bare resource: exactly one list block, no trailing bytes.
bool DecodeBareListResource(std::span<const uint8_t> data, ListLayout* layout, std::string* error);
// A dialog resource: records up to the u16 0 end marker, no trailing bytes.
bool DecodeDialogLayout(std::span<const uint8_t> data, DialogLayout* layout, std::string* error);

// --- the module's resources (res/list_layouts.cpp) ----------------------------
// Bytes of layout resource id (300, 301, 2001 ... 2010); empty when the
// module has no such resource. The bytes live for the whole process.
std::span<const uint8_t> ListLayoutResource(int id);
// Ids of every layout resource of the module, ascending.
std::vector<int> ListLayoutResourceIds();

// --- applying ---------------------------------------------------------------
// Replaces the list's columns by the layout's (titles from HostString(id),
// widths, alignment) and sets its styles. Rows are kept.
void ApplyListLayout(const ListLayout& layout, QenListWindow* list);
// Loads bare resource resource_id into list. False (list unchanged, *error
// set when not null) when the resource is missing or corrupt.
bool LoadRes(QenListWindow* list, int resource_id, std::string* error = nullptr);
// Loads the layout of list control_id from dialog resource dialog_id.
// False (list unchanged) when the resource is missing, corrupt or has no
// list record for that control.
bool LoadDialogListRes(QenListWindow* list, int dialog_id, int control_id,
                       std::string* error = nullptr);
// The decoded dialog resource dialog_id. False when missing or corrupt.
bool LoadDialogLayout(int dialog_id, DialogLayout* layout, std::string* error = nullptr);
