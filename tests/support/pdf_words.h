#pragma once

// Reading a PDF back with poppler's tools: the words pdftotext -bbox finds,
// in millimetres from the top-left corner of their sheet.
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <optional>

namespace sorvane::testing {

inline constexpr double kMmPerPoint = 25.4 / 72.0;

struct Word {
    int page = 0; // 1-based
    QString text;
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// Runs a poppler tool and returns its output; on failure the reason goes to
// *error.
inline QString runTool(const QString &tool, const QStringList &arguments, QString *error)
{
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
        *error = QStringLiteral("%1 is missing: install poppler-utils").arg(tool);
        return {};
    }
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2").arg(tool, QString::fromLocal8Bit(process.readAllStandardError()));
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QList<Word> readWords(const QString &pdf, int *pageCount, QString *error)
{
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, error);
    QList<Word> words;
    *pageCount = 0;
    if (!error->isEmpty())
        return words;
    static const QRegularExpression token(
        QStringLiteral("<page |<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                       "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(0) == QLatin1String("<page ")) {
            ++*pageCount;
            continue;
        }
        Word word;
        word.page = *pageCount;
        word.left = match.captured(1).toDouble() * kMmPerPoint;
        word.top = match.captured(2).toDouble() * kMmPerPoint;
        word.right = match.captured(3).toDouble() * kMmPerPoint;
        word.bottom = match.captured(4).toDouble() * kMmPerPoint;
        word.text = match.captured(5);
        words.append(word);
    }
    return words;
}

inline std::optional<Word> findWord(const QList<Word> &words, int page, const QString &text)
{
    for (const Word &word : words) {
        if (word.page == page && word.text == text)
            return word;
    }
    return std::nullopt;
}

} // namespace sorvane::testing
