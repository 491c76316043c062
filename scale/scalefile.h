#pragma once
// The scale file (".scl3"): an INI file with the sections "File" (the
// signature), "Scale" (texts and parameters as typed) and "Points". It keeps
// what the user entered; the table and the programming points are computed
// anew after a load.
#include "scale/scaledocument.h"
#include <QString>

// The "Handle" value that marks a scale file (compared whole, case-sensitive).
inline constexpr const char *FileHandleSignature = "44455649434553205343414C45";

enum class ScaleFileResult { Loaded, NotFound, NoData };

struct ScaleFileStatus {
    ScaleFileResult result = ScaleFileResult::Loaded;
    QString path;

    bool Loaded() const { return result == ScaleFileResult::Loaded; }
    // The message box text and caption of a refused file, in the current
    // language (empty when loaded); shown with the error icon.
    QString Text() const;
    QString Caption() const;
};

// Reads the scale file at path into doc: the four texts, the approximation
// and table inputs and the points (sorted by x, equal x in file order). A
// missing file or a directory (NotFound), or one without the signature or a
// FIFO, socket or device, which is never opened (NoData), changes nothing.
// The caller recalculates, fits the graph and clears Modified.
ScaleFileStatus LoadScaleFile(const QString &path, ScaleDocument &doc);

// Writes doc to path in one replacement of the file; keys it does not write
// (points beyond Count, other programs' keys, comments) stay. A failure throws
// EIniFileException("Unable to write to <path>") and leaves the file as it
// was. Floats use the process decimal separator.
void SaveScaleFile(const QString &path, const ScaleDocument &doc);

// Whether text may stand in an edit whose file value is limited to
// maxLength Windows-1251 characters: no CR, LF or NUL, nothing the code page
// cannot hold, and no longer than the limit.
bool AcceptableEditText(const QString &text, int maxLength);
