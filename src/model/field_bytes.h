#pragma once

#include "text/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

namespace sorvane {

// The bytes one field had in the album file it was read from, kept beside
// its text only where encoding the text would not give them back: a byte
// sequence the code page does not define (read as "・"), one of the several
// codes of a character, broken UTF-8. Nearly every field has none, and then
// this is one null pointer.
//
// The bytes follow the field's text wherever it moves. The writer uses them
// only while they still decode to the field's text, so an edit, however it
// was made, writes the new text, and undoing it gives the bytes again.
class FieldBytes {
public:
    FieldBytes() = default;
    // Empty bytes keep nothing: they can only stand for an empty text.
    FieldBytes(QByteArrayView bytes, TextEncoding encoding);
    FieldBytes(const FieldBytes &other);
    FieldBytes &operator=(const FieldBytes &other);
    FieldBytes(FieldBytes &&) noexcept = default;
    FieldBytes &operator=(FieldBytes &&) noexcept = default;
    ~FieldBytes() = default;

    bool isEmpty() const { return !kept_; }
    // The bytes of the field's line, as in the file (a comment with "<BR>"
    // for its line breaks); empty when none are kept.
    QByteArrayView bytes() const { return kept_ ? QByteArrayView(kept_->bytes) : QByteArrayView(); }
    TextEncoding encoding() const { return kept_ ? kept_->encoding : TextEncoding::Cp932; }

    void clear() { kept_.reset(); }
    void swap(FieldBytes &other) noexcept { kept_.swap(other.kept_); }

private:
    struct Kept {
        QByteArray bytes;
        TextEncoding encoding;
    };
    std::unique_ptr<const Kept> kept_;
};

} // namespace sorvane
