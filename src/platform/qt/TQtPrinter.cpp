#include "platform/qt/TQtPrinter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

TQtPrinter::TQtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TQtPrinter::TQtPrinter(const std::string& pdfFile, bool landscape)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), toPdf_(true) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromLocal8Bit(pdfFile.c_str()));
    printer_->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

TQtPrinter::~TQtPrinter() = default;

bool TQtPrinter::SetupDialog(void* owner) {
    if (toPdf_)
        return true;
    QPrintDialog dialog(printer_.get(), static_cast<QWidget*>(owner));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (!printer_->isValid())
        throw TNoPrinter("no printer");
    return true;
}

bool TQtPrinter::IsLandscape() const {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape;
}

namespace {

// Splits at line breaks (CR LF, CR or LF) and then into pieces of at most
// width characters, so long contact texts wrap and row lines stay aligned.
std::vector<QString> PageLines(const std::vector<std::string>& lines, int width) {
    std::vector<QString> out;
    for (const std::string& line : lines) {
        QString text = QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
        text.replace("\r\n", "\n").replace('\r', '\n');
        for (const QString& part : text.split('\n')) {
            if (part.isEmpty()) {
                out.push_back(part);
                continue;
            }
            for (qsizetype at = 0; at < part.size(); at += width)
                out.push_back(part.mid(at, width));
        }
    }
    return out;
}

}  // namespace

void TQtPrinter::PrintLines(const std::vector<std::string>& lines, int pointSize,
                            const std::string& documentTitle) {
    printer_->setDocName(QString::fromLatin1(documentTitle.c_str()));
    printer_->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(printer_.get()))
        throw TNoPrinter("the printer cannot be opened");

    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setBold(true);
    double size = pointSize;
    font.setPointSizeF(size);
    const QRectF page = printer_->pageLayout().paintRectPixels(printer_->resolution());
    const double pageWidth = page.width();
    // The widest fixed-width line must fit: shrink the font until it does.
    qsizetype widest = 0;
    for (const std::string& line : lines)
        if (line.find('\n') == std::string::npos && line.find('\r') == std::string::npos)
            widest = std::max<qsizetype>(widest, static_cast<qsizetype>(line.size()));
    widest = std::min<qsizetype>(widest, 120);
    QFontMetricsF metrics(font, printer_.get());
    while (widest > 0 && metrics.horizontalAdvance(QString(widest, 'M')) > pageWidth && size > 4) {
        size -= 0.25;
        font.setPointSizeF(size);
        metrics = QFontMetricsF(font, printer_.get());
    }
    lastPointSize_ = size;
    painter.setFont(font);
    const double advance = metrics.horizontalAdvance('M');
    const int charsPerLine = std::max(1, static_cast<int>(pageWidth / advance));
    const double lineHeight = metrics.lineSpacing();
    const double pageHeight = page.height();

    double y = metrics.ascent();
    for (const QString& line : PageLines(lines, charsPerLine)) {
        if (y + metrics.descent() > pageHeight) {
            printer_->newPage();
            y = metrics.ascent();
        }
        painter.drawText(QPointF(0, y), line);
        y += lineHeight;
    }
    if (!painter.end())
        throw TNoPrinter("printing failed");
}
