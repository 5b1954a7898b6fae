#include "io/settings_files.h"

#include "io/ini_file.h"
#include "text/numbers.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace sorvane {

QString locateSettingsFile(const QString &programDir, const QString &userConfigDir, const QString &fileName)
{
    const QString inProgramDir = QDir(programDir).filePath(fileName);
    if (QFileInfo(inProgramDir).isFile() || userConfigDir.isEmpty())
        return inProgramDir;
    const QString inConfigDir = QDir(userConfigDir).filePath(fileName);
    return QFileInfo(inConfigDir).isFile() ? inConfigDir : inProgramDir;
}

int checkStateFromIniText(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    const double rounded = roundHalfToEven(value);
    return rounded >= 0 && rounded <= 2 ? int(rounded) : 0;
}

PrintIni readPrintIni(const QString &iniFilePath)
{
    const QString section = QStringLiteral("印刷設定");
    PrintIni ini;
    ini.topMargin = ReadIniValue(iniFilePath, section, QStringLiteral("上マージン"));
    ini.leftMargin = ReadIniValue(iniFilePath, section, QStringLiteral("左マージン"));
    ini.numberPrintState = checkStateFromIniText(ReadIniValue(iniFilePath, section, QStringLiteral("番号印刷")));
    return ini;
}

CorpIni readCorpIni(const QString &iniFilePath)
{
    CorpIni ini;
    ini.constructionNumber = ReadIniValue(iniFilePath, QStringLiteral("工事番号"), QStringLiteral("工第"));
    ini.constructionName = ReadIniValue(iniFilePath, QStringLiteral("工事名"), QStringLiteral("名称"));
    ini.site = ReadIniValue(iniFilePath, QStringLiteral("工事場所"), QStringLiteral("所在"));
    ini.contractor = ReadIniValue(iniFilePath, QStringLiteral("工事施工者"), QStringLiteral("会社名"));
    return ini;
}

} // namespace sorvane
