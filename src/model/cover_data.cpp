#include "model/cover_data.h"

#include <QtGlobal>

#include <array>

namespace sorvane {

namespace {

constexpr std::array<QString CoverData::*, CoverData::kFieldCount> kFields{
    &CoverData::fiscalYear,       &CoverData::constructionNumber,
    &CoverData::constructionName, &CoverData::site,
    &CoverData::startYear,        &CoverData::startMonth,
    &CoverData::startDay,         &CoverData::completionYear,
    &CoverData::completionMonth,  &CoverData::completionDay,
    &CoverData::contractor,       &CoverData::submissionYear,
    &CoverData::submissionMonth,  &CoverData::submissionDay,
};

} // namespace

FieldBytes &CoverData::fieldBytes(int n)
{
    Q_ASSERT(n >= 1 && n <= kFieldCount);
    return readBytes[size_t(n - 1)];
}

const FieldBytes &CoverData::fieldBytes(int n) const
{
    Q_ASSERT(n >= 1 && n <= kFieldCount);
    return readBytes[size_t(n - 1)];
}

bool operator==(const CoverData &a, const CoverData &b)
{
    for (auto member : kFields) {
        if (a.*member != b.*member)
            return false;
    }
    return true;
}

QString &CoverData::field(int n)
{
    Q_ASSERT(n >= 1 && n <= kFieldCount);
    return this->*kFields[size_t(n - 1)];
}

const QString &CoverData::field(int n) const
{
    Q_ASSERT(n >= 1 && n <= kFieldCount);
    return this->*kFields[size_t(n - 1)];
}

} // namespace sorvane
