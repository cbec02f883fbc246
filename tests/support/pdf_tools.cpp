#include "tests/support/pdf_tools.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string Run(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
}

void ReplaceAll(std::string* s, const std::string& from, const std::string& to) {
  for (size_t at = s->find(from); at != std::string::npos; at = s->find(from, at + to.size())) {
    s->replace(at, from.size(), to);
  }
}

std::string InfoField(const std::string& path, const std::string& field) {
  const std::string info = Run("pdfinfo '" + path + "' 2>/dev/null");
  const size_t at = info.find(field + ":");
  if (at == std::string::npos) return std::string();
  size_t begin = info.find_first_not_of(' ', at + field.size() + 1);
  size_t end = info.find('\n', begin);
  return info.substr(begin, end - begin);
}

}  // namespace

std::string PdfText(const std::string& path, int page) {
  const std::string pages = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  std::string text = Run("pdftotext -layout" + pages + " '" + path + "' - 2>/dev/null");
  ReplaceAll(&text, "\xEF\xAC\x81", "fi");  // U+FB01
  ReplaceAll(&text, "\xEF\xAC\x82", "fl");  // U+FB02
  return text;
}

std::string PdfPageText(const std::string& path, int page) { return PdfText(path, page); }

std::string PdfTitle(const std::string& path) { return InfoField(path, "Title"); }

int PdfPages(const std::string& path) { return std::atoi(InfoField(path, "Pages").c_str()); }

std::string PdfPageSize(const std::string& path) {
  std::string size = InfoField(path, "Page size");
  const size_t pts = size.find(" pts");
  return pts == std::string::npos ? size : size.substr(0, pts);
}

QImage RenderPdfPage(const std::string& path, int page, int dpi) {
  const std::string stem = path + ".page";
  const std::string cmd = "pdftoppm -png -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                          std::to_string(page) + " -singlefile '" + path + "' '" + stem + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return QImage();
  return QImage(QString::fromStdString(stem + ".png"));
}

int CountPixels(const QImage& image, QColor colour, int tolerance) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
          std::abs(c.blue() - colour.blue()) <= tolerance) {
        ++n;
      }
    }
  }
  return n;
}
