#pragma once

#include "io/settings_files.h"
#include "model/cover_data.h"

#include <QDate>

namespace sorvane {

// The cover of a new album: every year in the Reiwa era (year - 2018), the
// start, completion and submission months and the submission day from
// today's date, the start and completion days empty, and the company's
// standing particulars from corp.ini.
CoverData freshCover(const QDate &today, const CorpIni &corp);

} // namespace sorvane
