#pragma once

#include <QString>

// Where the program's file dialogs open: in the folder the user last chose a
// file of the same kind in (kept in the user's configuration folder, so it
// holds from one start to the next), or the home folder the first time.
namespace FileDialogs {

enum class Kind {
    Pdf,      // PDFで保存
    Csv,      // CSVで保存
    Image,    // 画像で保存
    DrawData, // 当選データ取込 / 当選データ書出し
};

QString folder(Kind kind);
// The path a dialog suggests: name in the folder of that kind. Characters
// a file name cannot hold ("/") become "_".
QString suggestion(Kind kind, const QString &name);
// The user chose this file: its folder is where the next dialog of the kind
// opens. An empty path (the dialog was cancelled) changes nothing.
void remember(Kind kind, const QString &file);

} // namespace FileDialogs
