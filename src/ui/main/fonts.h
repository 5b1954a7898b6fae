#pragma once

namespace sorvane {

// The Windows faces the layouts name ("ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ ゴシック")
// do not exist on Linux; the metric-compatible IPA faces stand in for them.
void registerFontSubstitutions();

} // namespace sorvane
