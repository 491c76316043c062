#pragma once
// The results as plain text for the clipboard: one result file, or all files
// separated by form-feed lines, each line ended by CR LF.
#include "results/resmodel.h"
#include <QString>
#include <QStringList>
#include <optional>

// Appends the lines of result file `file` (its position in results.Files) to
// list; a file without values adds nothing. Labels follow the language flag.
void CopyFileA(QStringList &list, const ResultsData &results, int file);

// The text the copy command puts on the clipboard for the right-clicked node:
// every file when onRoot (the device or the remark root), else the file its
// number decodes to. Nothing (nullopt) for a node of no file.
std::optional<QString> ClipboardText(const ResultsData &results, bool onRoot, int nodeData);

// Lines joined as the clipboard takes them: each followed by CR LF.
QString JoinClipboardLines(const QStringList &lines);

// The copy command: builds the text and replaces the system clipboard's
// contents with it as plain text. False when the node copies nothing (the
// clipboard then keeps what it had).
bool CopyResultsToClipboard(const ResultsData &results, bool onRoot, int nodeData);
