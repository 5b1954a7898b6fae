#pragma once

#include "model/field_bytes.h"

#include <QString>

#include <array>

namespace sorvane {

// The fourteen cover particulars of an album, in the order the album file
// holds them (fields 1 to 14). Every field is free text.
struct CoverData {
    static constexpr int kFieldCount = 14;

    QString fiscalYear;         // 1: Reiwa year of the job, "令和 … 年度"
    QString constructionNumber; // 2: "工第 … 号"
    QString constructionName;   // 3: 工事名
    QString site;               // 4: 工事場所
    QString startYear;          // 5: 着工, Reiwa year
    QString startMonth;         // 6
    QString startDay;           // 7
    QString completionYear;     // 8: 竣工, Reiwa year
    QString completionMonth;    // 9
    QString completionDay;      // 10
    QString contractor;         // 11: 工事施工者
    QString submissionYear;     // 12: 提出年月日, Reiwa year
    QString submissionMonth;    // 13
    QString submissionDay;      // 14

    // Field n, 1..14, in file order.
    QString &field(int n);
    const QString &field(int n) const;

    // The bytes the fields were read with, where encoding their texts would
    // not give them back (see FieldBytes); field n is fieldBytes(n).
    std::array<FieldBytes, kFieldCount> readBytes{};
    FieldBytes &fieldBytes(int n);
    const FieldBytes &fieldBytes(int n) const;

    // Equal by the texts of the fields.
    friend bool operator==(const CoverData &a, const CoverData &b);
};

inline constexpr int kCoverFieldCount = CoverData::kFieldCount;

} // namespace sorvane
