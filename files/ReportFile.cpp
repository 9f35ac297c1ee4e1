// One page to a PDF or PNG file: drawn in memory, then handed to the safe writer whole.

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "files/ReportPage.h"
#include "files/SafeWrite.h"

namespace tavlex {
namespace {

constexpr int kPdfDotsPerInch = 300;

bool EndsWithPng(std::string_view path) {
  if (path.size() < 4) return false;
  std::string tail(path.substr(path.size() - 4));
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return tail == ".png";
}

// The page's entry in the cross-reference table, and the table's own offset, move by `delta`
// where they lie past `at`. Entries are the fixed 20-byte lines "oooooooooo ggggg n" + EOL.
bool ShiftCrossReferences(QByteArray& bytes, qsizetype at, int delta) {
  const qsizetype table = bytes.lastIndexOf("\nxref\n");
  const qsizetype start = bytes.lastIndexOf("\nstartxref\n");
  if (table < 0 || start < table) return false;
  qsizetype line = bytes.indexOf('\n', table + 6) + 1;  // past the "first count" line
  if (line <= 0) return false;
  for (; line + 20 <= start && (bytes.at(line + 17) == 'n' || bytes.at(line + 17) == 'f');
       line += 20) {
    const qlonglong offset = bytes.mid(line, 10).toLongLong();
    if (offset > at)
      bytes.replace(line, 10, QByteArray::number(offset + delta).rightJustified(10, '0'));
  }
  const qsizetype number = start + 11;
  const qsizetype end = bytes.indexOf('\n', number);
  if (end < 0) return false;
  bool ok = false;
  const qlonglong xref = bytes.mid(number, end - number).trimmed().toLongLong(&ok);
  if (!ok) return false;
  bytes.replace(number, end - number, QByteArray::number(xref + delta));
  return true;
}

// Marks the single page of a PDF to be shown turned by `degrees` clockwise. The drawing stays as
// it is, so a printed sheet is the same; only viewers turn the page. False, with the bytes as
// they were, when the file is not laid out as expected.
bool RotatePdfPage(QByteArray& bytes, int degrees) {
  static const QByteArray kPage = "/Type /Page\n";
  const qsizetype page = bytes.indexOf(kPage);
  if (page < 0 || bytes.indexOf(kPage, page + 1) >= 0) return false;
  QByteArray turned = bytes;
  const QByteArray rotate = "/Rotate " + QByteArray::number(degrees) + "\n";
  const qsizetype at = page + kPage.size();
  turned.insert(at, rotate);
  if (!ShiftCrossReferences(turned, at, static_cast<int>(rotate.size()))) return false;
  bytes = turned;
  return true;
}

bool DrawPdf(QByteArray& bytes, const PageDrawer& draw, PageShown shown) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter pdf(&buffer);
  pdf.setResolution(kPdfDotsPerInch);
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  pdf.setCreator(QStringLiteral("Tavlex"));
  QPainter painter;
  if (!painter.begin(&pdf)) return false;
  draw(painter, QSize(pdf.width(), pdf.height()));
  if (!painter.end()) return false;
  buffer.close();
  // A quarter turn anticlockwise is 270 degrees clockwise.
  return shown == PageShown::AsDrawn || RotatePdfPage(bytes, 270);
}

bool DrawPng(QByteArray& bytes, QSize page, const PageDrawer& draw) {
  QImage image(page, QImage::Format_RGB32);
  if (image.isNull()) return false;
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    draw(painter, page);
  }
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  return image.save(&buffer, "PNG");
}

}  // namespace

PageFormat PageFormatFor(std::string_view path) {
  return EndsWithPng(path) ? PageFormat::Png : PageFormat::Pdf;
}

std::string WritePageFile(std::string_view path, PageFormat format, QSize imagePage,
                          const PageDrawer& draw, std::span<const std::string_view> inputs,
                          PageShown shown) {
  SafeWriter out(path, inputs);
  if (!out.Open()) return PathProblemReason(out.Problem());
  QByteArray bytes;
  const bool drawn =
      format == PageFormat::Pdf ? DrawPdf(bytes, draw, shown) : DrawPng(bytes, imagePage, draw);
  if (!drawn) {
    out.Fail();
    return "the page could not be drawn";
  }
  out.Write(bytes.constData(), bytes.size());
  return out.Commit() ? std::string() : "write error; a file that was there is kept";
}

}  // namespace tavlex
