#pragma once
// The pages of a PDF a test printed, as pdfinfo counts them.
#include <QProcess>
#include <QRegularExpression>
#include <QString>

// -1 where pdfinfo tells no page count (no file, not a PDF).
inline int PdfPages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
