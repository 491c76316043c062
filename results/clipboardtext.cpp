#include "results/clipboardtext.h"
#include "common/lang.h"
#include "common/win1251.h"
#include "results/restree.h"
#include "results/resstattext.h"

#include <QClipboard>
#include <QGuiApplication>

void CopyFileA(QStringList &list, const ResultsData &results, int file)
{
    if (file < 0 || file >= int(results.Files.size()))
        return;
    const TResFile &r = results.Files[file];
    if (r.ValuesCount <= 0)
        return;
    auto add = [&list](const QString &line) { list.append(SingleLineText(line)); };
    add(results.DeviceText);
    add(results.CommonRemark);
    if (results.FileCount > 1)
        add(Lang("Файл ", "File ") + QString::number(r.Index + 1));
    if (!r.Remark.isEmpty())
        add(r.Remark);
    add(Lang("Результатов ", "Results count ") + QString::number(r.ValuesCount));
    const int groups = std::min(r.ScalesCount, MaxGroups);
    if (groups > 0) {
        add(Lang("Статистика", "Statistics"));
        for (int g = 0; g < groups; ++g) {
            add(QStringLiteral("    ") + r.Scales[g]);
            add(Lang("         Измерений ", "         Count ") + QString::number(r.SCount[g]));
            add(Lang("         Минимум ", "         Minimum ") + StatisticText(r, g, Statistic::Min));
            add(Lang("         Максимум ", "         Maximum ") + StatisticText(r, g, Statistic::Max));
            add(Lang("         Среднее ", "         Average ") + StatisticText(r, g, Statistic::Mean));
        }
    }
    const int values = std::min(r.ValuesCount, MaxValues);
    for (int k = 0; k < values; ++k)
        add(r.Values[k].Str);
}

std::optional<QString> ClipboardText(const ResultsData &results, bool onRoot, int nodeData)
{
    QStringList list;
    if (onRoot) {
        const int count = std::min(results.FileCount, int(results.Files.size()));
        for (int i = 0; i < count; ++i) {
            CopyFileA(list, results, i);
            if (i + 1 < count && results.Files[i].ValuesCount > 0)
                list.append(QStringLiteral("\f"));
        }
    } else {
        const int f = NodeFile(nodeData);
        if (f < 0)
            return std::nullopt;
        CopyFileA(list, results, f);
    }
    // The text is the one a Windows-1251 clipboard would hold: a character
    // the code page lacks (a comment may be typed with any) reads as '?'.
    return cp1251::Decode(cp1251::Encode(JoinClipboardLines(list)));
}

QString JoinClipboardLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

bool CopyResultsToClipboard(const ResultsData &results, bool onRoot, int nodeData)
{
    const std::optional<QString> text = ClipboardText(results, onRoot, nodeData);
    if (!text)
        return false;
    QGuiApplication::clipboard()->setText(*text, QClipboard::Clipboard);
    return true;
}
