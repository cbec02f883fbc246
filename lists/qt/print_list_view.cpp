#include "lists/qt/print_list_view.h"

#include <QApplication>
#include <QPageSize>
#include <QPrinter>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "lists/xlsx_export.h"
#include "host/atomic_file.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"

namespace {

ColorRef FromQColor(const QColor& c) { return c.isValid() ? Rgb(c.red(), c.green(), c.blue()) : kNoColor; }

// The wait cursor for the life of the object.
class WaitCursor {
 public:
  WaitCursor() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      active_ = true;
    }
  }
  ~WaitCursor() { Restore(); }
  void Restore() {
    if (active_) QApplication::restoreOverrideCursor();
    active_ = false;
  }

 private:
  bool active_ = false;
};

void Tell(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
  PromptRequest request;
  request.parent = parent;
  request.caption = parent && !parent->windowTitle().isEmpty() ? parent->windowTitle() : QStringLiteral("Vantra");
  request.text = text;
  request.icon = icon;
  QenDialog::Prompt(request);
}

// Whether the file at path ends as a whole PDF does: "%%EOF" in its last
// bytes (a line break may follow).
bool EndsLikePdf(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char tail[64] = {};
  size_t n = 0;
  if (std::fseek(f, -static_cast<long>(sizeof tail), SEEK_END) != 0) std::fseek(f, 0, SEEK_SET);
  n = std::fread(tail, 1, sizeof tail, f);
  std::fclose(f);
  const std::string_view text(tail, n);
  return text.find("%%EOF") != std::string_view::npos;
}

}  // namespace

bool PrintIntoFile(QPrinter* printer, const std::function<bool(QString* error)>& paint, QString* error) {
  const QString final_path = printer ? printer->outputFileName() : QString();
  if (!printer || final_path.isEmpty() || printer->outputFormat() != QPrinter::PdfFormat) return paint(error);
  AtomicFile out;
  std::string message;
  if (!out.OpenForPath(final_path.toStdString(), &message)) {
    *error = QString::fromStdString(message);
    return false;
  }
  // The temporary name has no ".pdf" suffix; the format stays PdfFormat.
  printer->setOutputFileName(QString::fromStdString(out.WritePath()));
  errno = 0;
  const bool painted = paint(error);
  // The PDF engine ignores its file's write errors, but the failed write
  // leaves its errno.
  const int paint_errno = errno;
  printer->setOutputFileName(final_path);
  const bool write_failed =
      paint_errno == ENOSPC || paint_errno == EFBIG || paint_errno == EDQUOT || paint_errno == EIO;
  if (!painted && !write_failed) return false;
  if (!painted || (!out.Direct() && !EndsLikePdf(out.WritePath()))) {
    // A page the printer refused because its file could not grow is a
    // write error too: say so rather than "interrompue".
    *error = QStringLiteral("impossible d'écrire %1 : %2")
                 .arg(final_path, write_failed ? QString::fromStdString(FileErrorText(paint_errno))
                                               : QStringLiteral("le fichier PDF est incomplet"));
    return false;
  }
  if (!out.Commit(&message)) {
    *error = QString::fromStdString(message);
    return false;
  }
  return true;
}

QString ReportTitleOf(const QWidget* window, const QString& fallback) {
  const QByteArray bytes = window ? window->windowTitle().toUtf8() : QByteArray();
  const std::string_view cut = CutUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), 511);
  const QString title = QString::fromUtf8(cut.data(), static_cast<qsizetype>(cut.size())).trimmed();
  return title.isEmpty() ? fallback : title;
}

CellStyleFn ViewCellStyle(const ListView* view) {
  if (!view) return nullptr;
  const ListModel* model = view->Model();
  return [model](int row, int column) {
    const RowStyle s = model->StyleOf(row, column);
    CellStyle out;
    out.bold = s.bold;
    out.text = FromQColor(s.text);
    out.background = FromQColor(s.background);
    return out;
  };
}

CPrintListView::CPrintListView(QWidget* parent, long launcher_info, const QenListWindow* list, QPrinter* printer,
                               const QString& title, int copies, bool landscape, bool headers)
    : parent_(parent), launcher_info_(launcher_info), list_(list), printer_(printer), title_(title),
      copies_(std::max(1, copies)) {
  settings_.force_landscape = landscape;
  settings_.repeat_headers = headers;
}

CPrintListView::CPrintListView(QWidget* parent, long launcher_info, const ListView* view, QPrinter* printer,
                               const QString& title, int copies, bool landscape, bool headers)
    : CPrintListView(parent, launcher_info, view ? view->List() : nullptr, printer, title, copies, landscape,
                     headers) {
  style_ = ViewCellStyle(view);
}

CPrintListView::~CPrintListView() = default;

void CPrintListView::SetHeading(const QString& period, const QString& practice) {
  settings_.period = period;
  settings_.practice = practice;
}

void CPrintListView::SetReportTitle(const QString& report_title) { settings_.report_title = report_title; }

void CPrintListView::SetStyle(CellStyleFn style) { style_ = std::move(style); }

void CPrintListView::SetColorList(const TDList* colours) { colours_ = colours; }

void CPrintListView::Report(ListReport* out) const {
  *out = ListReport(list_, title_.toStdString(), style_, colours_);
  out->period = settings_.period.toStdString();
  out->practice = settings_.practice.toStdString();
}

bool CPrintListView::Print() {
  pages_ = 0;
  if (!list_ || !printer_) return false;
  ListReport report;
  Report(&report);
  if (copies_ > 1) printer_->setCopyCount(copies_);
  printer_->setDocName(title_);
  ListPrintJob job(printer_, settings_);
  job.AddList(&report);
  QString error;
  WaitCursor wait;
  const bool ok = PrintIntoFile(printer_, [&job](QString* e) { return job.Run(e); }, &error);
  wait.Restore();
  pages_ = job.PageCount();
  if (!ok) Tell(parent_, error, QMessageBox::Warning);
  return ok;
}

int CPrintListView::PrintReport(int mode) {
  if (mode == kPrint) return Print() ? 1 : 0;
  if (mode != kSpreadsheet || !list_) return 0;
  exported_.clear();
  ListReport report;
  Report(&report);
  std::string error;
  WaitCursor wait;
  std::string path = ExportListToSpreadsheet(report, &error);
  wait.Restore();
  if (path.empty()) {
    Tell(parent_, QStringLiteral("L'exportation a échoué : %1").arg(QString::fromStdString(error)),
         QMessageBox::Warning);
    return 0;
  }
  exported_ = path;
  Tell(parent_, QStringLiteral("La liste a été exportée dans le fichier :\n%1").arg(QString::fromStdString(path)),
       QMessageBox::Information);
  return 1;
}

CPrintMultipleListViews::CPrintMultipleListViews(QWidget* parent, long launcher_info, QPrinter* printer,
                                                 const QString& report_title)
    : parent_(parent), launcher_info_(launcher_info), printer_(printer) {
  settings_.report_title = report_title;
}

CPrintMultipleListViews::~CPrintMultipleListViews() = default;

void CPrintMultipleListViews::AddListView(const ListView* view, const QString& title, const TDList* colours) {
  AddList(view ? view->List() : nullptr, title, ViewCellStyle(view), colours);
}

void CPrintMultipleListViews::AddList(const QenListWindow* list, const QString& title, CellStyleFn style,
                                      const TDList* colours) {
  if (!list) return;
  reports_.push_back(std::make_unique<ListReport>(list, title.toStdString(), std::move(style), colours));
  titles_.push_back(title);
}

void CPrintMultipleListViews::SetScales(double text, double rows) {
  settings_.text_scale = text > 0 ? text : 1;
  settings_.row_scale = rows > 0 ? rows : 1;
}

void CPrintMultipleListViews::SetHeading(const QString& period, const QString& practice) {
  settings_.period = period;
  settings_.practice = practice;
}

void CPrintMultipleListViews::SetLandscape(bool landscape) { settings_.force_landscape = landscape; }

bool CPrintMultipleListViews::Print() {
  pages_ = 0;
  if (!printer_ || reports_.empty()) return false;
  printer_->setDocName(settings_.report_title);
  ListPrintJob job(printer_, settings_);
  for (size_t i = 0; i < reports_.size(); ++i) job.AddList(reports_[i].get(), titles_[i]);
  QString error;
  WaitCursor wait;
  const bool ok = PrintIntoFile(printer_, [&job](QString* e) { return job.Run(e); }, &error);
  wait.Restore();
  pages_ = job.PageCount();
  if (!ok) Tell(parent_, error, QMessageBox::Warning);
  return ok;
}

bool PrintListToPdf(const ListReport& report, const QString& path, QString* error) {
  if (!report.list) {
    *error = QStringLiteral("aucune liste à imprimer");
    return false;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setDocName(QString::fromStdString(report.title));
  printer.setCreator(QStringLiteral("Vantra"));
  ListPrintJob job(&printer);
  job.AddList(&report);
  return PrintIntoFile(&printer, [&job](QString* e) { return job.Run(e); }, error);
}
