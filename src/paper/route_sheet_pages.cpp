#include "paper/route_sheet_pages.h"

#include <QDate>
#include <QFileInfo>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "paper/plot.h"
#include "platform/editor/document.h"
#include "settings/cable_setting.h"

namespace wb::paper {
namespace {

constexpr double kMargin = 10;     // mm around the page
constexpr double kHeader = 14;     // title lines at the top
constexpr double kFooter = 6;      // page number at the bottom
constexpr double kTableRow = 5.5;  // summary table
constexpr double kTableText = 2.4;
const QColor kGrey(178, 178, 178);
const QColor kRule(90, 90, 90);

QString Q(const CString& text) { return QString::fromStdU16String(text); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

// Column titles and widths (mm on A4 landscape; narrower paper scales them,
// the remarks column takes what is left).
struct Column {
  const char16_t* title;
  double width;
};
constexpr Column kColumns[] = {
    {u"No.", 9},      {u"ケーブル番号", 30}, {u"サイズ", 22},  {u"From記号", 20},
    {u"From名称", 30}, {u"From副番", 12},    {u"To記号", 20},   {u"To名称", 30},
    {u"To副番", 12},   {u"長さ(m)", 16},     {u"要素数", 13},   {u"備考", 0},
};

int RowsPerSummaryPage(double pageHeight) {
  const double table = pageHeight - 2 * kMargin - kHeader - kFooter;
  return std::max(1, static_cast<int>(table / kTableRow) - 1);  // less the heading row
}

// Text on the page in millimetres: fitted into its box by narrowing it
// rather than cutting it, so every number stays whole.
class Writer {
 public:
  explicit Writer(PageWriter& page) : page_(page), font_(render::DrawingFont()), mono_(font_) {
    font_.setStyleStrategy(QFont::PreferNoShaping);  // see RenderOptions::unshapedText
    mono_.setFamily(QStringLiteral("MS Gothic"));     // fixed pitch, through the substitution
    mono_.setStyleHint(QFont::Monospace);
    mono_.setStyleStrategy(QFont::PreferNoShaping);
  }
  void SetMono(bool on) { useMono_ = on; }

  void Text(const QRectF& box, const QString& text, double em, int align = Qt::AlignLeft,
            const QColor& color = Qt::black, bool bold = false) {
    if (text.isEmpty()) return;
    QPainter& p = page_.painter();
    QFont& font = useMono_ ? mono_ : font_;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(page_.Px(em)))));
    font.setBold(bold);
    p.setFont(font);
    p.setPen(color);
    const QRectF px = Px(box.adjusted(0.6, 0, -0.6, 0));
    const double width = QFontMetricsF(font, p.device()).horizontalAdvance(text);
    if (width <= px.width()) {
      p.drawText(px, align | Qt::AlignVCenter, text);
      return;
    }
    const double squeeze = px.width() / width;
    p.save();
    p.translate(px.topLeft());
    p.scale(squeeze, 1);
    p.drawText(QRectF(0, 0, width, px.height()), align | Qt::AlignVCenter, text);
    p.restore();
  }

  void Rule(QPointF a, QPointF b, double widthMm = 0.2, const QColor& color = kRule) {
    QPainter& p = page_.painter();
    QPen pen(color);
    pen.setWidthF(page_.Px(widthMm));
    p.setPen(pen);
    p.drawLine(Px(a), Px(b));
  }

  void Frame(const QRectF& box, double widthMm = 0.3) {
    QPainter& p = page_.painter();
    QPen pen(kRule);
    pen.setWidthF(page_.Px(widthMm));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(Px(box));
  }

  QPointF Px(QPointF mm) const { return {page_.Px(mm.x()), page_.Px(mm.y())}; }
  QRectF Px(const QRectF& mm) const { return {Px(mm.topLeft()), Px(mm.bottomRight())}; }

 private:
  PageWriter& page_;
  QFont font_, mono_;
  bool useMono_ = false;
};

class SheetPrinter {
 public:
  SheetPrinter(PageWriter& page, const db::Database& database, const SheetProject& project,
               const std::vector<SheetRow>& rows, const SheetRequest& request)
      : page_(page), text_(page), project_(project), rows_(rows), request_(request) {
    render::QtTextMeasurer measurer;
    list_.Build(database, &measurer);
    drawingName_ = QFileInfo(Q(database.FileName())).fileName();
    date_ = request.date.empty() ? QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"))
                                 : Q(request.date);
    const int aci = static_cast<uint16_t>(g_cableSetting.confirmColor);
    const render::Rgb rgb = render::AciToRgb(aci >= 1 && aci <= 255 ? aci : 1);
    routeColor_ = rgb == render::Rgb{} ? QColor(Qt::black) : QColor(rgb.r, rgb.g, rgb.b);
    for (const SheetRow& row : rows) routed_ += row.routed();
    summaryPages_ = SummaryPageCount(rows.size(), request.setup);
    pages_ = summaryPages_ + routed_;
    width_ = page.widthMm();
    height_ = page.heightMm();
  }

  int pages() const { return pages_; }

  void Summary(int index) {
    Heading(QStringLiteral("ケーブル経路一覧"),
            QStringLiteral("経路あり %1 / %2 本").arg(routed_).arg(rows_.size()));
    const int perPage = RowsPerSummaryPage(height_);
    const double tableWidth = width_ - 2 * kMargin;
    double fixed = 0;
    for (const Column& c : kColumns) fixed += c.width;
    const double scale = std::min(1.0, tableWidth * 0.8 / fixed);
    std::vector<double> widths;
    for (const Column& c : kColumns) widths.push_back(c.width * scale);
    widths.back() = tableWidth - fixed * scale;

    double y = kMargin + kHeader;
    auto cells = [&](const std::vector<QString>& texts, bool heading) {
      double x = kMargin;
      for (size_t c = 0; c < widths.size(); ++c) {
        const int align = c == 0 || c == 9 || c == 10 ? Qt::AlignRight : Qt::AlignLeft;
        text_.Text(QRectF(x, y, widths[c], kTableRow), texts[c], kTableText,
                   heading ? Qt::AlignHCenter : align, Qt::black, heading);
        x += widths[c];
        if (c + 1 < widths.size()) text_.Rule({x, y}, {x, y + kTableRow}, 0.1);
      }
      y += kTableRow;
      text_.Rule({kMargin, y}, {kMargin + tableWidth, y}, heading ? 0.3 : 0.1);
    };
    std::vector<QString> heading;
    for (const Column& c : kColumns) heading.push_back(QString::fromStdU16String(c.title));
    const double top = y;
    cells(heading, true);
    const size_t end = std::min(rows_.size(), static_cast<size_t>(index + 1) * perPage);
    for (size_t i = static_cast<size_t>(index) * perPage; i < end; ++i) {
      const SheetRow& row = rows_[i];
      const CableRow& c = row.cable;
      cells({QString::number(row.row + 1), Q(c.number), Q(c.size), Q(c.fromMark), Q(c.fromName),
             Q(c.fromSubNo), Q(c.toMark), Q(c.toName), Q(c.toSubNo), Q(SheetLength(row)),
             row.routed() ? QString::number(row.route.size()) : QString(), Q(row.reason)},
            false);
    }
    text_.Frame(QRectF(kMargin, top, tableWidth, y - top));
    Footer();
  }

  void Route(const SheetRow& row) {
    const CableRow& c = row.cable;
    Heading(QStringLiteral("経路図　ケーブル番号 %1").arg(Q(c.number)),
            QStringLiteral("%1 → %2").arg(Q(c.fromMark), Q(c.toMark)));
    const double top = kMargin + kHeader, bottom = height_ - kMargin - kFooter;
    QRectF drawing, block;
    if (request_.setup.landscape) {
      const double blockWidth = std::clamp(width_ * 0.32, 85.0, 130.0);
      drawing = QRectF(kMargin, top, width_ - 2 * kMargin - blockWidth - 3, bottom - top);
      block = QRectF(drawing.right() + 3, top, blockWidth, bottom - top);
    } else {
      const double blockHeight = (bottom - top) * 0.38;
      drawing = QRectF(kMargin, top, width_ - 2 * kMargin, bottom - top - blockHeight - 3);
      block = QRectF(kMargin, drawing.bottom() + 3, width_ - 2 * kMargin, blockHeight);
    }
    DrawRoute(row, drawing);
    TitleBlock(row, block);
    Footer();
  }

  void NextPage() { page_.NewPage(); }

 private:
  void Heading(const QString& title, const QString& right) {
    text_.Text(QRectF(kMargin, kMargin, width_ - 2 * kMargin, 7), title, 4.2, Qt::AlignLeft, Qt::black,
               true);
    text_.Text(QRectF(kMargin, kMargin, width_ - 2 * kMargin, 7), right, 3.2, Qt::AlignRight);
    const QString info = QStringLiteral("プラント：%1　　設備：%2　　図面：%3　　日付：%4")
                             .arg(Q(project_.plant), Q(project_.facility), drawingName_, date_);
    text_.Text(QRectF(kMargin, kMargin + 7, width_ - 2 * kMargin, 5), info, 2.8);
    text_.Rule({kMargin, kMargin + kHeader - 1.5}, {width_ - kMargin, kMargin + kHeader - 1.5}, 0.4);
  }

  void Footer() {
    ++page_number_;
    text_.Text(QRectF(kMargin, height_ - kMargin - kFooter + 1, width_ - 2 * kMargin, kFooter - 1),
               QStringLiteral("%1 / %2").arg(page_number_).arg(pages_), 2.8, Qt::AlignRight);
  }

  // The drawing greyed, zoomed to the route with a margin; the route over it
  // in the confirmation colour, thick; the two ends labelled.
  void DrawRoute(const SheetRow& row, const QRectF& frame) {
    std::vector<bool> onRoute(list_.entities().size());
    render::Box box;
    for (AcDbObjectId id : row.route) {
      const int index = list_.EntityIndex(id);
      if (index < 0) continue;
      onRoute[index] = true;
      box.Add(list_.entities()[index].box);
    }
    if (box.empty()) box = list_.extents();
    const double grow = std::max({box.width(), box.height(), 1.0}) * 0.08;
    const render::Box window{box.minX - grow, box.minY - grow, box.maxX + grow, box.maxY + grow};

    render::RenderOptions options = PaperOptions(page_, request_.setup);
    // The greyed drawing is orientation: coarse detail, no points.
    options.color = kGrey;
    options.detail = page_.Px(0.25);
    options.points = false;
    options.smallDots = false;
    const render::ViewTransform view = DrawWindow(page_, list_, frame, window, options);
    options.color = routeColor_;
    options.background = Qt::transparent;
    options.lineWeights = false;
    options.minPenWidth = static_cast<int>(page_.Px(0.8));
    options.only = &onRoute;
    options.detail = page_.Px(0.1);
    DrawWindow(page_, list_, frame, window, options);
    text_.Frame(frame);

    Label(view, frame, row.from, QStringLiteral("From  %1").arg(Q(row.cable.fromMark)));
    Label(view, frame, row.to, QStringLiteral("To  %1").arg(Q(row.cable.toMark)));
  }

  // A boxed label under the equipment (its mark text is usually above it),
  // kept inside the frame.
  void Label(const render::ViewTransform& view, const QRectF& frame, AcDbObjectId id, const QString& text) {
    const int index = list_.EntityIndex(id);
    if (index < 0) return;
    const render::Box& box = list_.entities()[index].box;
    const render::Vec2 corner = view.ToScreen({box.minX, box.minY});
    const double em = 3;
    QFont font = render::DrawingFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPixelSize(static_cast<int>(page_.Px(em)));
    const double widthMm = QFontMetricsF(font, page_.painter().device()).horizontalAdvance(text) /
                               page_.PixelsPerMm() + 2;
    const double heightMm = em * 1.6;
    double x = frame.x() + corner.x / page_.PixelsPerMm();
    double y = frame.y() + corner.y / page_.PixelsPerMm() + 1;
    x = std::clamp(x, frame.left() + 1, std::max(frame.left() + 1, frame.right() - widthMm - 1));
    y = std::clamp(y, frame.top() + 1, std::max(frame.top() + 1, frame.bottom() - heightMm - 1));
    const QRectF label(x, y, widthMm, heightMm);
    QPainter& p = page_.painter();
    QPen pen(routeColor_);
    pen.setWidthF(page_.Px(0.35));
    p.setPen(pen);
    p.setBrush(Qt::white);
    p.drawRect(text_.Px(label));
    text_.Text(label, text, em, Qt::AlignHCenter, routeColor_, true);
  }

  void TitleBlock(const SheetRow& row, const QRectF& block) {
    const CableRow& c = row.cable;
    auto end = [](const CString& mark, const CString& name, const CString& subNo) {
      QStringList parts{Q(mark), Q(name)};
      if (!subNo.empty()) parts << Q(subNo);
      return parts.join(QStringLiteral(" / "));
    };
    const std::pair<QString, QString> fields[] = {
        {QStringLiteral("プラント"), Q(project_.plant)},
        {QStringLiteral("設備"), Q(project_.facility)},
        {QStringLiteral("図面"), drawingName_},
        {QStringLiteral("日付"), date_},
        {QStringLiteral("ケーブル番号"), Q(c.number)},
        {QStringLiteral("サイズ"), Q(c.size)},
        {QStringLiteral("From"), end(c.fromMark, c.fromName, c.fromSubNo)},
        {QStringLiteral("To"), end(c.toMark, c.toName, c.toSubNo)},
        {QStringLiteral("長さ"), Q(SheetLength(row)) + QStringLiteral(" m")},
        {QStringLiteral("要素数"), QString::number(row.route.size())},
    };
    const double line = 5.2, labelWidth = 22;
    const int count = static_cast<int>(std::size(fields));
    // Portrait paper has room for the fields and the elements side by side.
    const bool beside = !request_.setup.landscape;
    const double fieldsWidth = beside ? std::min(95.0, block.width() * 0.45) : block.width();
    double y = block.top();
    for (const auto& [label, value] : fields) {
      text_.Text(QRectF(block.left(), y, labelWidth, line), label, 2.6, Qt::AlignLeft, kRule);
      text_.Text(QRectF(block.left() + labelWidth, y, fieldsWidth - labelWidth, line), value, 2.9,
                 Qt::AlignLeft, Qt::black, label == QStringLiteral("長さ"));
      y += line;
      text_.Rule({block.left(), y}, {block.left() + fieldsWidth, y}, 0.1);
    }
    text_.Rule({block.left() + labelWidth, block.top()}, {block.left() + labelWidth, block.top() + count * line},
               0.1);
    text_.Frame(QRectF(block.left(), block.top(), fieldsWidth, count * line));
    const QRectF elements = beside ? QRectF(block.left() + fieldsWidth + 3, block.top(),
                                            block.width() - fieldsWidth - 3, block.height())
                                   : QRectF(block.left(), y + 3, block.width(), block.bottom() - y - 3);
    Elements(row, elements);
  }

  // The route's elements in order, one line each as the route log has them
  // (in a fixed-pitch font, so the numbers line up), in as many columns as
  // fit; a long route gets smaller type rather than losing elements.
  void Elements(const SheetRow& row, const QRectF& area) {
    const size_t n = row.elements.size();
    const int digits = n > 100 ? static_cast<int>(std::to_string(n - 1).size()) : 2;
    const int kChars = digits + 27;  // "00 WIRE    1500     1500" and a gap
    double line = 3.6;
    int perColumn = 1, columns = 1;
    for (int i = 0; i < 60; ++i) {
      columns = std::max(1, static_cast<int>(area.width() / (kChars * line * 0.34)));
      perColumn = std::max(1, static_cast<int>(area.height() / line) - 1);
      if (static_cast<size_t>(columns) * perColumn >= n) break;
      line *= 0.9;
    }
    const double em = line * 0.68, columnWidth = kChars * em * 0.5;
    text_.SetMono(true);
    for (int col = 0; col < columns && static_cast<size_t>(col) * perColumn < n; ++col) {
      const double left = area.left() + col * columnWidth;
      const QString heading = QStringLiteral("No").leftJustified(digits) + QStringLiteral(" 要素   長さmm   累計mm");
      text_.Text(QRectF(left, area.top(), columnWidth, line), heading, em, Qt::AlignLeft, kRule);
      text_.Rule({left, area.top() + line}, {left + columnWidth - em, area.top() + line}, 0.15);
      for (int r = 0; r < perColumn; ++r) {
        const size_t i = static_cast<size_t>(col) * perColumn + r;
        if (i >= n) break;
        const SheetElement& e = row.elements[i];
        const QString text = QString::asprintf("%0*d %-5s %7.0f %8.0f", digits, static_cast<int>(i),
                                               Q(e.label).trimmed().toUtf8().constData(), e.length, e.sum);
        text_.Text(QRectF(left, area.top() + (r + 1) * line, columnWidth, line), text, em);
      }
    }
    text_.SetMono(false);
  }

  PageWriter& page_;
  Writer text_;
  const SheetProject& project_;
  const std::vector<SheetRow>& rows_;
  const SheetRequest& request_;
  render::DisplayList list_;
  QString drawingName_, date_;
  QColor routeColor_;
  int routed_ = 0, summaryPages_ = 0, pages_ = 0, page_number_ = 0;
  double width_ = 0, height_ = 0;
};

}  // namespace

int SummaryPageCount(size_t rows, const PageSetup& setup) {
  const size_t perPage = RowsPerSummaryPage(PageSizeMm(setup).height());
  return std::max<int>(1, static_cast<int>((rows + perPage - 1) / perPage));
}

bool WriteRouteSheets(const db::Database& database, const SheetProject& project,
                      const std::vector<SheetRow>& rows, const SheetRequest& request,
                      std::string& error, void (*pump)()) {
  if (!IsPdf(request.output)) {
    error = request.output + ": route sheets are written as a .pdf file";
    return false;
  }
  auto page = PageWriter::Open(request.output, request.setup, error);
  if (!page) return false;
  SheetPrinter printer(*page, database, project, rows, request);
  acedSetStatusBarProgressMeter(u"経路図出力中・・・", 0, printer.pages());
  int done = 0;
  auto next = [&] {
    if (pump) pump();
    acedSetStatusBarProgressMeterPos(done);
    if (done++ > 0) printer.NextPage();
  };
  for (int i = 0, n = SummaryPageCount(rows.size(), request.setup); i < n; ++i) {
    next();
    printer.Summary(i);
  }
  for (const SheetRow& row : rows) {
    if (!row.routed()) continue;
    next();
    printer.Route(row);
  }
  acedRestoreStatusBar();
  return page->Finish(error);
}

bool MakeRouteSheets(const SheetProject& project, const std::vector<int>& rows,
                     const SheetRequest& request, std::string& error, void (*pump)()) {
  const db::Database* database = editor::ActiveDatabase();
  if (!database) {
    error = "no drawing is open";
    return false;
  }
  const std::vector<SheetRow> sheets = RouteSheetRows(project, rows, pump);
  return WriteRouteSheets(*database, project, sheets, request, error, pump);
}

}  // namespace wb::paper
