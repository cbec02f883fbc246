#include "host/list_layout.h"

#include <cassert>
#include <cstdio>

#include "host/list_window.h"
#include "host/strings.h"

namespace {

constexpr uint16_t kRecordEnd = 0;
constexpr uint16_t kRecordList = 2;
constexpr uint16_t kRecordButtonBar = 3;

void Put16(std::vector<uint8_t>* out, uint16_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

// Bounds-checked little-endian reader over a byte span. Every read fails
// (and keeps failing) once the input is exhausted; the first failure's
// message is kept.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> data) : data_(data) {}

  size_t Offset() const { return pos_; }
  size_t Left() const { return data_.size() - pos_; }
  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }

  bool U8(uint8_t* v, const char* what) {
    if (!Need(1, what)) return false;
    *v = data_[pos_++];
    return true;
  }
  bool U16(uint16_t* v, const char* what) {
    if (!Need(2, what)) return false;
    *v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool U32(uint32_t* v, const char* what) {
    uint16_t lo = 0;
    uint16_t hi = 0;
    if (!U16(&lo, what) || !U16(&hi, what)) return false;
    *v = static_cast<uint32_t>(lo) | static_cast<uint32_t>(hi) << 16;
    return true;
  }
  bool Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
    return false;
  }

 private:
  bool Need(size_t n, const char* what) {
    if (!error_.empty()) return false;
    if (Left() >= n) return true;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer,
                  "Disposition de liste tronquée : %s attendu à l'octet %zu, %zu octet(s) restant(s)",
                  what, pos_, Left());
    error_ = buffer;
    return false;
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  std::string error_;
};

bool ReadListBlock(Reader* r, ListLayout* layout) {
  uint16_t count = 0;
  if (!r->U32(&layout->style, "le style de liste") || !r->U16(&count, "le nombre de colonnes"))
    return false;
  // Refuse a count the input cannot hold before reserving anything for it.
  if (static_cast<size_t>(count) * 9 + 2 > r->Left()) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer,
                  "Disposition de liste tronquée : %u colonne(s) annoncée(s) à l'octet %zu, "
                  "%zu octet(s) restant(s)",
                  count, r->Offset(), r->Left());
    return r->Fail(buffer);
  }
  layout->columns.assign(count, LayoutColumn{});
  for (LayoutColumn& column : layout->columns) {
    if (!r->U16(&column.width_chars, "la largeur d'une colonne") ||
        !r->U16(&column.title_id, "le titre d'une colonne") ||
        !r->U16(&column.align, "l'alignement d'une colonne"))
      return false;
    uint8_t trailer[3] = {0, 0, 0};
    for (uint8_t& b : trailer)
      if (!r->U8(&b, "la fin d'une colonne")) return false;
    if (trailer[0] != 1 || trailer[1] != 0 || trailer[2] != 0) {
      char buffer[160];
      std::snprintf(buffer, sizeof buffer,
                    "Disposition de liste corrompue : fin de colonne %u %u %u à l'octet %zu "
                    "(1 0 0 attendu)",
                    trailer[0], trailer[1], trailer[2], r->Offset() - 3);
      return r->Fail(buffer);
    }
  }
  return r->U16(&layout->ex_style, "le style étendu");
}

bool TrailingBytes(const Reader& r, std::string* error) {
  if (r.Left() == 0) return false;
  if (error) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer,
                  "Disposition de liste corrompue : %zu octet(s) en trop à l'octet %zu", r.Left(),
                  r.Offset());
    *error = buffer;
  }
  return true;
}

void SetError(std::string* error, const std::string& message) {
  if (error) *error = message;
}

std::string MissingResource(int id) {
  return "Disposition de liste " + std::to_string(id) + " introuvable";
}

}  // namespace

const ListLayout* DialogLayout::FindList(int control_id) const {
  for (const DialogListLayout& list : lists)
    if (list.control_id == control_id) return &list.layout;
  return nullptr;
}

void AppendListBlock(const ListLayout& layout, std::vector<uint8_t>* out) {
  assert(layout.columns.size() <= 0xFFFF);
  Put32(out, layout.style);
  Put16(out, static_cast<uint16_t>(layout.columns.size()));
  for (const LayoutColumn& column : layout.columns) {
    Put16(out, column.width_chars);
    Put16(out, column.title_id);
    Put16(out, column.align);
    out->insert(out->end(), {1, 0, 0});
  }
  Put16(out, layout.ex_style);
}

std::vector<uint8_t> EncodeListBlock(const ListLayout& layout) {
  std::vector<uint8_t> out;
  AppendListBlock(layout, &out);
  return out;
}

std::vector<uint8_t> EncodeDialogLayout(const DialogLayout& layout) {
  std::vector<uint8_t> out;
  for (const DialogListLayout& list : layout.lists) {
    Put16(&out, kRecordList);
    Put16(&out, list.control_id);
    AppendListBlock(list.layout, &out);
  }
  for (const ButtonBarLayout& bar : layout.bars) {
    assert(bar.buttons.size() <= 0xFFFF);
    Put16(&out, kRecordButtonBar);
    Put16(&out, bar.control_id);
    Put32(&out, 0);
    Put16(&out, static_cast<uint16_t>(bar.buttons.size()));
    for (const BarButton& button : bar.buttons) {
      Put16(&out, button.bitmap_id);
      Put16(&out, button.command_id);
    }
  }
  Put16(&out, kRecordEnd);
  return out;
}

bool DecodeListBlock(std::span<const uint8_t> data, ListLayout* layout, size_t* consumed,
                     std::string* error) {
  Reader r(data);
  if (!ReadListBlock(&r, layout)) {
    SetError(error, r.Error());
    return false;
  }
  if (consumed) *consumed = r.Offset();
  return true;
}

bool DecodeBareListResource(std::span<const uint8_t> data, ListLayout* layout, std::string* error) {
  Reader r(data);
  if (!ReadListBlock(&r, layout)) {
    SetError(error, r.Error());
    return false;
  }
  return !TrailingBytes(r, error);
}

bool DecodeDialogLayout(std::span<const uint8_t> data, DialogLayout* layout, std::string* error) {
  Reader r(data);
  *layout = DialogLayout{};
  for (;;) {
    uint16_t type = 0;
    if (!r.U16(&type, "un type d'enregistrement")) break;
    if (type == kRecordEnd) return !TrailingBytes(r, error);
    if (type == kRecordList) {
      DialogListLayout list;
      if (!r.U16(&list.control_id, "l'identifiant d'une liste") || !ReadListBlock(&r, &list.layout))
        break;
      layout->lists.push_back(std::move(list));
    } else if (type == kRecordButtonBar) {
      ButtonBarLayout bar;
      uint32_t reserved = 0;
      uint16_t count = 0;
      if (!r.U16(&bar.control_id, "l'identifiant d'une barre de boutons") ||
          !r.U32(&reserved, "le champ réservé d'une barre") ||
          !r.U16(&count, "le nombre de boutons"))
        break;
      if (static_cast<size_t>(count) * 4 > r.Left()) {
        char buffer[160];
        std::snprintf(buffer, sizeof buffer,
                      "Disposition de liste tronquée : %u bouton(s) annoncé(s) à l'octet %zu, "
                      "%zu octet(s) restant(s)",
                      count, r.Offset(), r.Left());
        r.Fail(buffer);
        break;
      }
      bar.buttons.assign(count, BarButton{});
      for (BarButton& button : bar.buttons)
        if (!r.U16(&button.bitmap_id, "un bitmap de bouton") ||
            !r.U16(&button.command_id, "une commande de bouton"))
          break;
      if (!r.Ok()) break;
      layout->bars.push_back(std::move(bar));
    } else {
      char buffer[128];
      std::snprintf(buffer, sizeof buffer,
                    "Disposition de liste corrompue : type d'enregistrement %u à l'octet %zu", type,
                    r.Offset() - 2);
      r.Fail(buffer);
      break;
    }
  }
  SetError(error, r.Error());
  return false;
}

void ApplyListLayout(const ListLayout& layout, QenListWindow* list) {
  std::vector<ListColumn> columns;
  columns.reserve(layout.columns.size());
  for (const LayoutColumn& c : layout.columns) {
    ListColumn column;
    column.title = c.title_id != 0 ? HostString(c.title_id) : "";
    column.width_chars = c.width_chars;
    column.align = c.align == 1 ? ColumnAlign::kRight : ColumnAlign::kLeft;
    columns.push_back(std::move(column));
  }
  list->SetColumns(std::move(columns));
  list->SetStyles(layout.style, layout.ex_style);
}

bool LoadRes(QenListWindow* list, int resource_id, std::string* error) {
  std::span<const uint8_t> bytes = ListLayoutResource(resource_id);
  if (bytes.empty()) {
    SetError(error, MissingResource(resource_id));
    return false;
  }
  ListLayout layout;
  if (!DecodeBareListResource(bytes, &layout, error)) return false;
  ApplyListLayout(layout, list);
  return true;
}

bool LoadDialogLayout(int dialog_id, DialogLayout* layout, std::string* error) {
  std::span<const uint8_t> bytes = ListLayoutResource(dialog_id);
  if (bytes.empty()) {
    SetError(error, MissingResource(dialog_id));
    return false;
  }
  return DecodeDialogLayout(bytes, layout, error);
}

bool LoadDialogListRes(QenListWindow* list, int dialog_id, int control_id, std::string* error) {
  DialogLayout layout;
  if (!LoadDialogLayout(dialog_id, &layout, error)) return false;
  const ListLayout* found = layout.FindList(control_id);
  if (!found) {
    SetError(error, "Disposition de liste " + std::to_string(dialog_id) + " : aucune liste " +
                        std::to_string(control_id));
    return false;
  }
  ApplyListLayout(*found, list);
  return true;
}
