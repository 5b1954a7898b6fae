#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace sorvane {

// Title and comment boxes ask the platform's input method for Japanese input
// when they have the focus (input methods that honour the preferred language
// of the focused field switch to it).
class TitleBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
};

class CommentBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
};

} // namespace sorvane
