// Draws the menu pictures of the list commands (res/icons/*.png, 16 and 32
// pixels) in the suite's flat style. Not part of the build: run it again
// after changing a drawing and commit the PNG files.
//
//   g++ -std=c++20 -fPIC res/icons/draw_icons.cpp -o /tmp/draw_icons \
//       $(pkg-config --cflags --libs Qt6Gui) && QT_QPA_PLATFORM=offscreen /tmp/draw_icons res/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kInk(60, 64, 72);
const QColor kPaper(250, 250, 250);
const QColor kBlue(31, 119, 180);
const QColor kGreen(0, 136, 86);
const QColor kOrange(243, 132, 0);

// Every drawing works on a 32 x 32 grid.
void Printer(QPainter& p, bool stack) {
  p.setPen(QPen(kInk, 1.5));
  if (stack) {  // the sheets of several lists behind the printer
    p.setBrush(kPaper);
    p.drawRect(QRectF(12.5, 1.5, 14, 12));
    p.drawRect(QRectF(9.5, 3.5, 14, 12));
  }
  p.setBrush(kPaper);
  p.drawRect(QRectF(7.5, stack ? 5.5 : 3.5, 14, 10));
  p.setBrush(QColor(120, 126, 138));
  p.drawRoundedRect(QRectF(2.5, 12.5, 27, 11), 2, 2);
  p.setBrush(kPaper);
  p.drawRect(QRectF(7.5, 19.5, 17, 10));
  p.setPen(QPen(kInk, 1.2));
  p.drawLine(QPointF(10, 23.5), QPointF(22, 23.5));
  p.drawLine(QPointF(10, 26.5), QPointF(19, 26.5));
  p.setPen(Qt::NoPen);
  p.setBrush(stack ? kOrange : kGreen);
  p.drawEllipse(QPointF(25, 16), 1.6, 1.6);
}

void Spreadsheet(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(2.5, 4.5, 20, 24));
  p.setPen(Qt::NoPen);
  p.setBrush(kGreen);
  p.drawRect(QRectF(3.25, 5.25, 18.5, 5));
  p.setPen(QPen(kGreen, 1.2));
  for (double y : {15.5, 20.5, 25.5}) p.drawLine(QPointF(3, y), QPointF(22, y));
  for (double x : {9.5, 15.5}) p.drawLine(QPointF(x, 10), QPointF(x, 28));
  // the arrow out of the module
  QPainterPath arrow;
  arrow.moveTo(17, 14);
  arrow.lineTo(24, 14);
  arrow.lineTo(24, 9);
  arrow.lineTo(31, 17);
  arrow.lineTo(24, 25);
  arrow.lineTo(24, 20);
  arrow.lineTo(17, 20);
  arrow.closeSubpath();
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(kOrange);
  p.drawPath(arrow);
}

void Chart(QPainter& p) {
  p.setPen(Qt::NoPen);
  const QColor colours[] = {kBlue, kOrange, kGreen};
  const double heights[] = {12, 22, 16};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(colours[i]);
    p.drawRect(QRectF(5 + i * 8, 28 - heights[i], 6, heights[i]));
  }
  p.setPen(QPen(kInk, 2));
  p.drawLine(QPointF(2, 2), QPointF(2, 29));
  p.drawLine(QPointF(2, 29), QPointF(30, 29));
}

void Generate(QPainter& p) {
  // a turning arrow around the run triangle
  p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(3, 3, 26, 26), 100 * 16, 290 * 16);
  QPainterPath head;
  head.moveTo(11, 0.5);
  head.lineTo(19, 4);
  head.lineTo(11, 8.5);
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawPath(head);
  QPainterPath run;
  run.moveTo(12, 10);
  run.lineTo(22, 16);
  run.lineTo(12, 22);
  run.closeSubpath();
  p.setBrush(kGreen);
  p.drawPath(run);
}

void Filter(QPainter& p) {
  QPainterPath funnel;
  funnel.moveTo(2.5, 4.5);
  funnel.lineTo(29.5, 4.5);
  funnel.lineTo(19, 17);
  funnel.lineTo(19, 27);
  funnel.lineTo(13, 30);
  funnel.lineTo(13, 17);
  funnel.closeSubpath();
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kBlue);
  p.drawPath(funnel);
  p.setPen(QPen(Qt::white, 1.5));
  p.drawLine(QPointF(8, 7.5), QPointF(24, 7.5));
}

// The rows behind a figure: list lines under a magnifying glass.
void Details(QPainter& p) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(QRectF(2.5, 2.5, 20, 24));
  p.setPen(QPen(kInk, 1.2));
  for (double y : {8.0, 12.5, 17.0, 21.5}) p.drawLine(QPointF(6, y), QPointF(19, y));
  p.setPen(QPen(kInk, 3.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(22.5, 22.5), QPointF(29, 29));
  p.setPen(QPen(kInk, 1.8));
  p.setBrush(QColor(kBlue.red(), kBlue.green(), kBlue.blue(), 110));
  p.drawEllipse(QPointF(17.5, 17.5), 7, 7);
}

void Save(const QString& dir, const QString& name, const std::function<void(QPainter&)>& draw) {
  for (int size : {16, 32}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    image.save(QStringLiteral("%1/%2-%3.png").arg(dir, name).arg(size));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  Save(dir, "print", [](QPainter& p) { Printer(p, false); });
  Save(dir, "print-all", [](QPainter& p) { Printer(p, true); });
  Save(dir, "export", Spreadsheet);
  Save(dir, "chart", Chart);
  Save(dir, "generate", Generate);
  Save(dir, "filter", Filter);
  Save(dir, "details", Details);
  return 0;
}
