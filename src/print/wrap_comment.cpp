#include "print/wrap_comment.h"

#include "text/cp932.h"
#include "text/line_breaks.h"

namespace sorvane {

QString WrapComment(const QString &comment)
{
    const QString &crlf = kCrLf;
    const QStringView text(comment);
    QString out;
    out.reserve(comment.size() + comment.size() / 8);
    qsizetype lineStart = 0;
    while (true) {
        qsizetype lineEnd = comment.indexOf(crlf, lineStart);
        const bool last = lineEnd < 0;
        if (last)
            lineEnd = comment.size();

        int width = 0;
        qsizetype pieceStart = lineStart;
        qsizetype i = lineStart;
        while (i < lineEnd) {
            char32_t ch = comment[i].unicode();
            qsizetype units = 1;
            if (QChar::isHighSurrogate(ch) && i + 1 < lineEnd && comment[i + 1].isLowSurrogate()) {
                ch = QChar::surrogateToUcs4(comment[i], comment[i + 1]);
                units = 2;
            }
            const int w = cp932::widthOf(ch);
            if (width + w > kCommentLineBytes) {
                out.append(text.sliced(pieceStart, i - pieceStart));
                out.append(crlf);
                pieceStart = i;
                width = 0;
            }
            width += w;
            i += units;
        }
        out.append(text.sliced(pieceStart, lineEnd - pieceStart));
        if (last)
            break;
        out.append(crlf);
        lineStart = lineEnd + crlf.size();
    }
    return out;
}

} // namespace sorvane
