#include "model/field_bytes.h"

namespace sorvane {

FieldBytes::FieldBytes(QByteArrayView bytes, TextEncoding encoding)
{
    if (!bytes.isEmpty())
        kept_.reset(new Kept{bytes.toByteArray(), encoding});
}

FieldBytes::FieldBytes(const FieldBytes &other) : kept_(other.kept_ ? new Kept(*other.kept_) : nullptr) {}

FieldBytes &FieldBytes::operator=(const FieldBytes &other)
{
    if (this != &other)
        kept_.reset(other.kept_ ? new Kept(*other.kept_) : nullptr);
    return *this;
}

} // namespace sorvane
