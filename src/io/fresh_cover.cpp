#include "io/fresh_cover.h"

namespace sorvane {

namespace {
// Years of the Reiwa era count from 2019 as its first year.
constexpr int kEraOffset = 2018;
} // namespace

CoverData freshCover(const QDate &today, const CorpIni &corp)
{
    const QString eraYear = QString::number(today.year() - kEraOffset);
    const QString month = QString::number(today.month());
    CoverData cover;
    cover.fiscalYear = eraYear;
    cover.constructionNumber = corp.constructionNumber;
    cover.constructionName = corp.constructionName;
    cover.site = corp.site;
    cover.startYear = eraYear;
    cover.startMonth = month;
    cover.completionYear = eraYear;
    cover.completionMonth = month;
    cover.contractor = corp.contractor;
    cover.submissionYear = eraYear;
    cover.submissionMonth = month;
    cover.submissionDay = QString::number(today.day());
    return cover;
}

} // namespace sorvane
