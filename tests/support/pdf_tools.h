// Reading PDF files back in tests with poppler's command-line tools.
#pragma once

#include <QImage>
#include <QString>
#include <string>

// pdftotext -layout of the file, with the "fi"/"fl" ligatures it produces
// turned back into letters; "" when the tool fails.
std::string PdfText(const std::string& path, int page = 0);
// The same for one page (1-based).
std::string PdfPageText(const std::string& path, int page);
// Number of pages (pdfinfo); 0 on failure.
int PdfPages(const std::string& path);
// The document's title (pdfinfo); "" when none.
std::string PdfTitle(const std::string& path);
// "612 x 792" style page size of page 1 in points (pdfinfo).
std::string PdfPageSize(const std::string& path);
// Page `page` (1-based) rendered at dpi by pdftoppm; null image on failure.
QImage RenderPdfPage(const std::string& path, int page, int dpi = 60);
// Pixels of image close to colour (each channel within tolerance).
int CountPixels(const QImage& image, QColor colour, int tolerance = 6);
