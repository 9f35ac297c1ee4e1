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

bool DrawPdf(QByteArray& bytes, const PageDrawer& draw) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter pdf(&buffer);
  pdf.setResolution(kPdfDotsPerInch);
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  pdf.setCreator(QStringLiteral("Tavlex"));
  QPainter painter;
  if (!painter.begin(&pdf)) return false;
  draw(painter, QSize(pdf.width(), pdf.height()));
  return painter.end();
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
                          const PageDrawer& draw, std::span<const std::string_view> inputs) {
  SafeWriter out(path, inputs);
  if (!out.Open()) return PathProblemReason(out.Problem());
  QByteArray bytes;
  const bool drawn =
      format == PageFormat::Pdf ? DrawPdf(bytes, draw) : DrawPng(bytes, imagePage, draw);
  if (!drawn) {
    out.Fail();
    return "the page could not be drawn";
  }
  out.Write(bytes.constData(), bytes.size());
  return out.Commit() ? std::string() : "write error; a file that was there is kept";
}

}  // namespace tavlex
