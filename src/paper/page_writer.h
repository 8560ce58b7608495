// Paper for the renderer: a sheet size and orientation, and the pages of one
// output file, a PDF (vector, fonts embedded, any number of pages) or a PNG
// (one page). The painter works in device pixels of the page, origin top
// left; the file appears only when it is complete.
#pragma once

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSizeF>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace wb::paper {

enum class PaperSize { kA4, kA3 };

struct PageSetup {
  PaperSize paper = PaperSize::kA4;
  bool landscape = true;
  bool lineWeights = false;  // lineweights in millimetres, else hairlines
  int dpi = 0;               // 0: 600 for PDF, 200 for PNG
};

// "A4" or "A3", in any case.
std::optional<PaperSize> ParsePaper(std::string_view text);
// The sheet in millimetres, as it lies.
QSizeF PageSizeMm(const PageSetup& setup);
// A name ending in ".pdf", in any case.
bool IsPdf(const std::string& path);

// A headless program (the command line) gets a Qt application on the
// offscreen platform, with the drawing fonts substituted; a running one is
// left alone.
void EnsureGuiApplication();

class PageWriter {
 public:
  // PDF or PNG by the extension of `path`; null and `error` when neither.
  static std::unique_ptr<PageWriter> Open(const std::string& path, const PageSetup& setup,
                                          std::string& error);
  ~PageWriter();

  QPainter& painter() { return painter_; }
  double PixelsPerMm() const { return dpi_ / 25.4; }
  double Px(double mm) const { return mm * PixelsPerMm(); }
  double widthMm() const { return widthMm_; }
  double heightMm() const { return heightMm_; }
  int dpi() const { return dpi_; }

  // A PDF goes on to a fresh page; a PNG has only one.
  void NewPage();
  // Writes the file (through a temporary beside it); false and `error`
  // naming the file when that fails.
  bool Finish(std::string& error);

 private:
  PageWriter() = default;

  std::string path_;
  int dpi_ = 0;
  double widthMm_ = 0, heightMm_ = 0;
  QBuffer buffer_;
  std::unique_ptr<QPdfWriter> pdf_;
  QImage image_;
  QPainter painter_;
};

// Qt names each glyph of an embedded font by the first character that maps
// to it; CJK fonts share glyphs between the radicals and the ideographs, so
// extracted text would read "⼒" for "力". Renames such entries of the
// ToUnicode maps in `pdf` to the ideograph, in place (same length).
void FixPdfToUnicode(QByteArray& pdf);

}  // namespace wb::paper
