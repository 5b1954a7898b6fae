#pragma once

#include "model/photo_relink.h"
#include "picture/photo_status.h"

#include <QString>

namespace sorvane {

// "写真 N 枚が見つかりません", "写真 N 枚が読み取れません", or, with both,
// "写真 N 枚が見つからないか、読み取れません" (N: both together).
QString photoProblemsText(int missing, int unreadable);

// Why one photo is listed, in the window's language.
QString photoStatusText(const PhotoStatus &status);

// What a search in a folder found for a photo.
QString relinkOutcomeText(RelinkOutcome outcome);

} // namespace sorvane
