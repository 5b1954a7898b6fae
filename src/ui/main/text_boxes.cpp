#include "ui/main/text_boxes.h"

namespace sorvane {

namespace {
const QString kJapanese = QStringLiteral("ja_JP");
} // namespace

QVariant TitleBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return query == Qt::ImPreferredLanguage ? QVariant(kJapanese) : QLineEdit::inputMethodQuery(query);
}

QVariant CommentBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return query == Qt::ImPreferredLanguage ? QVariant(kJapanese) : QPlainTextEdit::inputMethodQuery(query);
}

} // namespace sorvane
