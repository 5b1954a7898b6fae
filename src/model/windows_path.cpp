#include "model/windows_path.h"

namespace sorvane {

namespace {

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool startsWithSeparators(QStringView text, int count)
{
    if (text.size() < count)
        return false;
    for (int i = 0; i < count; ++i) {
        if (!isSeparator(text[i]))
            return false;
    }
    return true;
}

} // namespace

QString nameKey(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

WindowsPath parseWindowsPath(const QString &path)
{
    WindowsPath parsed;
    QString text = path;
    // "\\?\C:\..." and "\\?\UNC\server\share\..." are the long-path forms of
    // "C:\..." and "\\server\share\..." ("\\.\" the device form of the same).
    if (startsWithSeparators(text, 2) && text.size() >= 4 && (text[2] == u'?' || text[2] == u'.') &&
        isSeparator(text[3])) {
        text = text.mid(4);
        if (text.size() >= 4 && QStringView(text).left(3).compare(u"UNC", Qt::CaseInsensitive) == 0 &&
            isSeparator(text[3]))
            text = u'\\' + text.mid(3);
    }
    QStringView rest(text);
    if (startsWithSeparators(rest, 2) && rest.size() > 2 && !isSeparator(rest[2])) {
        qsizetype end = 2;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        parsed.start = WindowsPath::Start::Share;
        parsed.root = QStringLiteral("\\\\") + rest.mid(2, end - 2).toString();
        rest = rest.mid(end);
    } else if (rest.size() >= 2 && isAsciiLetter(rest[0]) && rest[1] == u':') {
        parsed.start = WindowsPath::Start::Drive;
        parsed.root = QString(rest[0].toUpper()) + u':';
        rest = rest.mid(2);
    } else if (!rest.isEmpty() && isSeparator(rest[0])) {
        parsed.start = WindowsPath::Start::Root;
    }

    const bool relative = parsed.start == WindowsPath::Start::Relative;
    qsizetype from = 0;
    while (from <= rest.size()) {
        qsizetype to = from;
        while (to < rest.size() && !isSeparator(rest[to]))
            ++to;
        const QStringView name = rest.mid(from, to - from);
        from = to + 1;
        if (name.isEmpty() || name == u".")
            continue;
        if (name == u"..") {
            if (!parsed.names.isEmpty() && parsed.names.last() != u"..")
                parsed.names.removeLast();
            else if (relative)
                parsed.names.append(name.toString());
            continue;
        }
        parsed.names.append(name.toString());
    }
    return parsed;
}

QString WindowsPath::rootKey() const
{
    switch (start) {
    case Start::Relative:
        return {};
    case Start::Root:
        return QStringLiteral("\\");
    case Start::Drive:
    case Start::Share:
        return root.toCaseFolded();
    }
    return {};
}

bool WindowsPath::startsWith(const WindowsPath &prefix) const
{
    if (start != prefix.start || rootKey() != prefix.rootKey() || prefix.names.size() > names.size())
        return false;
    for (qsizetype i = 0; i < prefix.names.size(); ++i) {
        if (nameKey(names[i]) != nameKey(prefix.names[i]))
            return false;
    }
    return true;
}

} // namespace sorvane
