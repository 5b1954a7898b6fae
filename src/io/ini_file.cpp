#include "io/ini_file.h"

#include "io/text_file.h"
#include "text/cp932.h"

namespace sorvane {

namespace {

inline bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

QStringView unquote(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// The longest prefix whose code page 932 form takes at most maxBytes bytes.
QStringView cutToBytes(QStringView value, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < value.size()) {
        qsizetype units = 1;
        char32_t ch = value[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(value[i], value[i + 1]);
            units = 2;
        }
        bytes += cp932::widthOf(ch);
        if (bytes > maxBytes)
            break;
        i += units;
    }
    return value.first(i);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString iniValue(QStringView text, QStringView section, QStringView key)
{
    const QStringView wantedSection = trimBlanks(section);
    const QStringView wantedKey = trimBlanks(key);
    enum { Before, Inside, After } state = Before;
    qsizetype pos = 0;
    while (pos < text.size() && state != After) {
        qsizetype end = text.indexOf(u'\n', pos);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(pos, end - pos);
        pos = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = trimBlanks(line);
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            if (state == Inside) {
                state = After;
                break;
            }
            line = line.sliced(1);
            const qsizetype close = line.indexOf(u']');
            if (close >= 0)
                line.truncate(close);
            if (sameName(trimBlanks(line), wantedSection))
                state = Inside;
            continue;
        }
        if (state != Inside)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !sameName(trimBlanks(line.first(eq)), wantedKey))
            continue;
        return cutToBytes(unquote(trimBlanks(line.sliced(eq + 1))), kMaxIniValueBytes).toString();
    }
    return {};
}

QString iniValue(QByteArrayView fileBytes, QStringView section, QStringView key)
{
    return iniValue(QStringView(decodeText(fileBytes).text), section, key);
}

QString ReadIniValue(const QString &iniFilePath, const QString &section, const QString &key)
{
    const BoundedRead read = readBoundedFile(iniFilePath, kMaxIniFileBytes);
    if (read.status != BoundedRead::Ok)
        return {};
    return iniValue(QByteArrayView(read.bytes), section, key);
}

} // namespace sorvane
