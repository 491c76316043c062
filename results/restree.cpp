#include "results/restree.h"
#include "common/lang.h"
#include "results/resstattext.h"
#include <algorithm>

QString ResultCountText(int n)
{
    const char *suffix;
    if (English) {
        suffix = n == 1 ? " result" : " results";
    } else {
        const int r = n % 100, d = n % 10;
        if (r >= 11 && r <= 20)
            suffix = " результатов";
        else if (d == 1)
            suffix = " результат";
        else if (d >= 2 && d <= 4)
            suffix = " результата";
        else
            suffix = " результатов";
    }
    return QString::number(n) + QString::fromUtf8(suffix);
}

QString SingleLineText(const QString &text)
{
    QString t = text;
    for (QChar &c : t)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            c = u' ';
    return t;
}

std::vector<TreeNode> FileNodes(const TResFile &file)
{
    std::vector<TreeNode> nodes;
    const int own = NodeData(file.Index);
    if (!file.Remark.isEmpty())
        nodes.push_back({SingleLineText(file.Remark), own, {}});
    if (file.ValuesCount <= 0)
        return nodes;
    nodes.push_back({ResultCountText(file.ValuesCount), own, {}});
    const int groups = std::clamp(file.ScalesCount, 0, MaxGroups);
    if (groups == 0)
        return nodes;
    TreeNode stats{Lang("Статистика", "Statistics"), own, {}};
    stats.children.reserve(size_t(groups));
    for (int g = 0; g < groups; ++g) {
        const int data = NodeData(file.Index, g);
        TreeNode group{SingleLineText(file.Scales[g]), data, {}};
        group.children.push_back({Lang("Измерений ", "Count ") + QString::number(file.SCount[g]), data, {}});
        // A group keeps its four lines; each statistic that holds no number
        // shows dashes, as the printout and the clipboard show it.
        group.children.push_back({Lang("Минимальное значение ", "Minimum value ") + StatisticText(file, g, Statistic::Min), data, {}});
        group.children.push_back({Lang("Максимальное значение ", "Maximum value ") + StatisticText(file, g, Statistic::Max), data, {}});
        group.children.push_back({Lang("Среднее значение ", "Average value ") + StatisticText(file, g, Statistic::Mean), data, {}});
        stats.children.push_back(std::move(group));
    }
    nodes.push_back(std::move(stats));
    return nodes;
}

std::vector<TreeNode> TreeContent(const ResultsData &data)
{
    std::vector<TreeNode> roots(2);
    roots[0].text = SingleLineText(data.DeviceText);
    roots[1].text = SingleLineText(data.CommonRemark);
    const int count = std::clamp(data.FileCount, 0, ResultFileCount);
    if (count > 1) {
        roots[1].children.reserve(size_t(count));
        for (int i = 0; i < count; ++i)
            roots[1].children.push_back({Lang("Файл ", "File ") + QString::number(i + 1), 0, FileNodes(data.Files[size_t(i)])});
    } else if (count == 1) {
        roots[1].children = FileNodes(data.Files[0]);
    }
    return roots;
}

QStringList ValueLines(const ResultsData &data, int nodeData)
{
    QStringList lines;
    const int f = NodeFile(nodeData), g = NodeGroup(nodeData);
    if (f < 0 || f >= std::clamp(data.FileCount, 0, ResultFileCount))
        return lines;
    const TResFile &file = data.Files[size_t(f)];
    if (g >= std::clamp(file.ScalesCount, 0, MaxGroups))
        return lines;
    const int count = std::clamp(file.ValuesCount, 0, MaxValues);
    int m = 0;
    for (int k = 0; k < count; ++k) {
        const TValue &v = file.Values[k];
        if (g >= 0 && v.Scale != file.Scales[g])
            continue;
        lines << QStringLiteral("%1.  %2  %3").arg(++m, 3).arg(SingleLineText(v.Str), SingleLineText(v.Scale));
    }
    return lines;
}
