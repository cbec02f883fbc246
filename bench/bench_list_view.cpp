// The list view over a large row store: what a view costs on top of the
// store when a generation writes a million rows into a shown list, when a
// page clears or filters it, and when it paints. Baseline: the same work on
// the store with no view attached, measured in the same run.
//
// Usage: bench_list_view [rows]   (default 1000000; runs offscreen)
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/list_layout.h"
#include "host/qt/list_view.h"

namespace {

std::string AuditLine(int i) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer,
                "2026-%02d-%02d\t%02d:%02d\tMARIE\tCourant\tRendez-vous\tModification\tR.-V. %06d "
                "déplacé\tTremblay, Jean",
                i % 12 + 1, i % 28 + 1, i % 24, i % 60, i);
  return buffer;
}

double Fill(QenListWindow* list, int rows) {
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < rows; ++i) list->AddString(AuditLine(i), i % 50 == 49 ? -1 : i + 1);
  return t.nsecsElapsed() / 1e9;
}

template <class Fn>
double Time(Fn fn) {
  QElapsedTimer t;
  t.start();
  fn();
  return t.nsecsElapsed() / 1e9;
}

void Row(const char* what, double with_view, double store_only) {
  std::printf("%-40s %10.3fs %10.3fs %8.2fx\n", what, with_view, store_only,
              store_only > 0 ? with_view / store_only : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;

  // Store only.
  QenListWindow bare(300);
  LoadRes(&bare, 300);
  const double fill_bare = Fill(&bare, rows);
  const double filter_bare = Time([&] { bare.DeleteRowsIf([](int i) { return i % 2 == 1; }); });
  const double clear_bare = Time([&] { bare.ClearList(); });

  // The same with a shown view.
  ListView view(300);
  LoadRes(view.List(), 300);
  view.SetRowStyleHook([list = view.List()](int row) {
    RowStyle s;
    s.bold = list->GetItemData(row) == -1;
    return s;
  });
  view.resize(1000, 700);
  view.show();
  QApplication::processEvents();
  const double fill_view = Fill(view.List(), rows);
  const double layout_view = Time([&] { QApplication::processEvents(); });
  const double paint_top = Time([&] { view.grab(); });
  view.scrollToBottom();
  const double paint_bottom = Time([&] { view.grab(); });
  const double select_view = Time([&] { view.List()->SetSelIndex(rows / 2); });
  const double filter_view = Time([&] {
    view.List()->DeleteRowsIf([](int i) { return i % 2 == 1; });
    QApplication::processEvents();
  });
  const double clear_view = Time([&] {
    view.List()->ClearList();
    QApplication::processEvents();
  });

  // A view attached to a list that already holds the rows (a page built
  // over a filled list, a reset).
  QenListWindow filled(300);
  LoadRes(&filled, 300);
  Fill(&filled, rows);
  double attach = 0;
  {
    attach = Time([&] {
      ListView late(&filled);
      late.resize(1000, 700);
      late.show();
      QApplication::processEvents();
      late.grab();
    });
  }

  std::printf("rows: %d\n%-40s %11s %11s %9s\n", rows, "", "with view", "store only", "ratio");
  Row("add every row", fill_view + layout_view, fill_bare);
  Row("delete every other row (one reset)", filter_view, filter_bare);
  Row("clear", clear_view, clear_bare);
  std::printf("%-40s %10.3fs\n", "paint, top of the list", paint_top);
  std::printf("%-40s %10.3fs\n", "paint, bottom of the list", paint_bottom);
  std::printf("%-40s %10.3fs\n", "select the middle row", select_view);
  std::printf("%-40s %10.3fs\n", "new view over a full list, shown", attach);
  return 0;
}
