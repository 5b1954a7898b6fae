#pragma once

#include <QString>

// The two settings files the program reads and never writes: print.ini (print
// margins and photo numbering) and corp.ini (the company's standing cover
// particulars).
namespace sorvane {

inline constexpr auto kPrintIniName = "print.ini";
inline constexpr auto kCorpIniName = "corp.ini";

// Where a settings file is read from: the program's directory when the file
// is there, otherwise the user's configuration directory when it is there
// (on Linux the program's directory is seldom writable by its users). When
// neither has it, the program directory's path, which reads as empty.
QString locateSettingsFile(const QString &programDir, const QString &userConfigDir, const QString &fileName);

// The check-box state written as "番号印刷": a number with blanks around it
// allowed, a fraction rounded to the nearest integer (halves to the even
// one). A value that is missing, not a number or outside 0..2 gives 0.
int checkStateFromIniText(const QString &text);

// print.ini, section "印刷設定".
struct PrintIni {
    QString topMargin;      // "上マージン", millimetres as text, unchanged
    QString leftMargin;     // "左マージン"
    int numberPrintState{}; // "番号印刷": 0 clear, 1 ticked (print numbers), 2 grey
};
PrintIni readPrintIni(const QString &iniFilePath);

// corp.ini: four sections with one key each.
struct CorpIni {
    QString constructionNumber; // [工事番号] 工第
    QString constructionName;   // [工事名] 名称
    QString site;               // [工事場所] 所在
    QString contractor;         // [工事施工者] 会社名
};
CorpIni readCorpIni(const QString &iniFilePath);

} // namespace sorvane
