#include "paper/page_writer.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QRawFont>
#include <array>
#include <clocale>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "platform/fs/file_system.h"
#include "render/fonts.h"
#include "render/renderer.h"

namespace wb::paper {
namespace {

bool EndsWith(const std::string& text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    const char c = text[text.size() - tail.size() + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != tail[i]) return false;
  }
  return true;
}

// The radicals (U+2E80..U+2FDF) whose glyph the drawing font shares with an
// ideograph, and that ideograph.
constexpr char16_t kRadicalFirst = 0x2E80, kRadicalLast = 0x2FDF;
const std::array<char16_t, kRadicalLast - kRadicalFirst + 1>& RadicalIdeographs() {
  static const auto table = [] {
    std::array<char16_t, kRadicalLast - kRadicalFirst + 1> out{};
    QFont font = render::DrawingFont();
    font.setPixelSize(32);
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) return out;
    auto glyphs = [&](const std::vector<QChar>& chars) {
      std::vector<quint32> indexes(chars.size());
      int count = static_cast<int>(chars.size());
      raw.glyphIndexesForChars(chars.data(), count, indexes.data(), &count);
      return indexes;
    };
    std::vector<QChar> ideographs;
    for (char16_t c = 0x4E00; c <= 0x9FFF; ++c) ideographs.emplace_back(c);
    std::unordered_map<quint32, char16_t> byGlyph;
    const auto ideographGlyphs = glyphs(ideographs);
    for (size_t i = 0; i < ideographs.size(); ++i)
      if (ideographGlyphs[i]) byGlyph.emplace(ideographGlyphs[i], ideographs[i].unicode());
    std::vector<QChar> radicals;
    for (char16_t c = kRadicalFirst; c <= kRadicalLast; ++c) radicals.emplace_back(c);
    const auto radicalGlyphs = glyphs(radicals);
    for (size_t i = 0; i < radicals.size(); ++i) {
      auto it = radicalGlyphs[i] ? byGlyph.find(radicalGlyphs[i]) : byGlyph.end();
      if (it != byGlyph.end()) out[i] = it->second;
    }
    return out;
  }();
  return table;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Rewrites the four-digit token at `at` ("<XXXX>") when it names a radical.
void FixToken(QByteArray& pdf, qsizetype at) {
  if (at + 5 >= pdf.size() || pdf[at] != '<' || pdf[at + 5] != '>') return;
  int value = 0;
  for (int i = 1; i <= 4; ++i) {
    const int digit = Hex(pdf[at + i]);
    if (digit < 0) return;
    value = value * 16 + digit;
  }
  if (value < kRadicalFirst || value > kRadicalLast) return;
  const char16_t ideograph = RadicalIdeographs()[value - kRadicalFirst];
  if (!ideograph) return;
  char text[5];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(ideograph));
  for (int i = 0; i < 4; ++i) pdf[at + 1 + i] = text[i];
}

QPageLayout Layout(const PageSetup& setup) {
  const QPageSize size(setup.paper == PaperSize::kA3 ? QPageSize::A3 : QPageSize::A4);
  return QPageLayout(size, setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

}  // namespace

QSizeF PageSizeMm(const PageSetup& setup) { return Layout(setup).fullRect(QPageLayout::Millimeter).size(); }

bool IsPdf(const std::string& path) { return EndsWith(path, ".pdf"); }

std::optional<PaperSize> ParsePaper(std::string_view text) {
  if (text == "A4" || text == "a4") return PaperSize::kA4;
  if (text == "A3" || text == "a3") return PaperSize::kA3;
  return std::nullopt;
}

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "wirebinder";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
  // Qt takes the user's locale; drawing numbers are read and written in C.
  std::setlocale(LC_NUMERIC, "C");
  render::InstallFontSubstitutions();
}

std::unique_ptr<PageWriter> PageWriter::Open(const std::string& path, const PageSetup& setup,
                                             std::string& error) {
  const bool pdf = IsPdf(path);
  if (!pdf && !EndsWith(path, ".png")) {
    error = path + ": the output is a .pdf or a .png file";
    return nullptr;
  }
  std::unique_ptr<PageWriter> writer(new PageWriter);
  writer->path_ = path;
  writer->dpi_ = setup.dpi > 0 ? setup.dpi : pdf ? 600 : 200;
  const QPageLayout layout = Layout(setup);
  const QRectF mm = layout.fullRect(QPageLayout::Millimeter);
  writer->widthMm_ = mm.width();
  writer->heightMm_ = mm.height();
  if (pdf) {
    writer->buffer_.open(QIODevice::WriteOnly);
    writer->pdf_ = std::make_unique<QPdfWriter>(&writer->buffer_);
    writer->pdf_->setCreator(QStringLiteral("WireBinder"));
    writer->pdf_->setResolution(writer->dpi_);
    writer->pdf_->setPageLayout(layout);
    writer->painter_.begin(writer->pdf_.get());
  } else {
    writer->image_ = QImage(static_cast<int>(writer->Px(mm.width()) + 0.5),
                            static_cast<int>(writer->Px(mm.height()) + 0.5), QImage::Format_RGB32);
    if (writer->image_.isNull()) {
      error = path + ": the page is too large for an image at " + std::to_string(writer->dpi_) + " dpi";
      return nullptr;
    }
    writer->image_.setDotsPerMeterX(static_cast<int>(writer->dpi_ / 0.0254 + 0.5));
    writer->image_.setDotsPerMeterY(static_cast<int>(writer->dpi_ / 0.0254 + 0.5));
    writer->image_.fill(Qt::white);
    writer->painter_.begin(&writer->image_);
  }
  if (!writer->painter_.isActive()) {
    error = path + ": cannot draw the page";
    return nullptr;
  }
  return writer;
}

PageWriter::~PageWriter() {
  if (painter_.isActive()) painter_.end();
}

void PageWriter::NewPage() {
  if (pdf_) pdf_->newPage();
}

bool PageWriter::Finish(std::string& error) {
  painter_.end();
  QByteArray bytes;
  if (pdf_) {
    pdf_.reset();
    bytes = buffer_.buffer();
    FixPdfToUnicode(bytes);
  } else {
    QBuffer png(&bytes);
    png.open(QIODevice::WriteOnly);
    if (!image_.save(&png, "PNG")) {
      error = path_ + ": cannot encode the image";
      return false;
    }
  }
  return fs::WriteFileAtomically(path_, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &error);
}

void FixPdfToUnicode(QByteArray& pdf) {
  qsizetype from = 0;
  while ((from = pdf.indexOf("begincmap", from)) >= 0) {
    const qsizetype end = pdf.indexOf("endcmap", from);
    if (end < 0) return;
    // Entries: "<src> <dst>" in bfchar, "<lo> <hi> <dst>" or "<lo> <hi>
    // [<dst> ...]" in bfrange; only destinations name characters.
    bool chars = false, ranges = false;
    qsizetype line = from;
    while (line < end) {
      qsizetype next = pdf.indexOf('\n', line);
      if (next < 0 || next > end) next = end;
      const QByteArray text = pdf.mid(line, next - line);
      if (text.endsWith("beginbfchar")) chars = true, ranges = false;
      else if (text.endsWith("beginbfrange")) ranges = true, chars = false;
      else if (text.startsWith("endbf")) chars = ranges = false;
      else if (chars || ranges) {
        std::vector<qsizetype> tokens;
        for (qsizetype i = line; i < next; ++i)
          if (pdf[i] == '<') tokens.push_back(i);
        const bool list = text.contains('[');
        const size_t firstTarget = chars ? 1 : 2;
        // A single destination of a range grows along it: leave it.
        const bool single = ranges && !list && tokens.size() == 3 &&
                            pdf.mid(tokens[0], 6) != pdf.mid(tokens[1], 6);
        if (!single)
          for (size_t t = firstTarget; t < tokens.size(); ++t) FixToken(pdf, tokens[t]);
      }
      line = next + 1;
    }
    from = end;
  }
}

}  // namespace wb::paper
