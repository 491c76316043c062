#pragma once
// What the results tree shows, as plain data: node texts in the current
// language, the number each node carries, and which node hangs under which.
// The main window only turns it into tree items.
#include "results/resmodel.h"
#include <QString>
#include <QStringList>
#include <vector>

struct TreeNode {
    QString text;
    int data = 0; // see NodeData
    std::vector<TreeNode> children;
};

// "5 results" / "5 результатов", with the Russian plural of n.
QString ResultCountText(int n);

// The nodes of file i that hang under its own node: remark, result count,
// statistics with the groups and their lines.
std::vector<TreeNode> FileNodes(const TResFile &file);

// The two roots (device text, common remark); under the remark root one
// "File n" node per file when there is more than one file, else the single
// file's nodes directly.
std::vector<TreeNode> TreeContent(const ResultsData &data);

// The value list for a node number: "  1.  <value>  <scale>" lines of the
// file's values, only the group's when the number names a group; empty for
// roots and file nodes.
QStringList ValueLines(const ResultsData &data, int nodeData);

// A text as one line of the file and of the tree can hold it: CR, LF and NUL
// become blanks.
QString SingleLineText(const QString &text);
