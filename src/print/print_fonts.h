#pragma once

namespace sorvane {

// The layouts name Windows faces ("ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ ゴシック") that
// Linux does not have; the metric-compatible IPA faces stand in for them. Safe
// to call more than once.
void registerPrintFontSubstitutions();

} // namespace sorvane
