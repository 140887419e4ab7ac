#pragma once

#include "ui/exportoutput.h"
#include "ui/sheet.h"

#include <QString>

// The export format that tools outside the program compare cell by cell
// with what each window must show. Keys in the documented order.
namespace SheetExport {

// Escapes text as a JSON string literal (with the quotes); non-ASCII stays as is.
QString jsonString(const QString &text);

// "#RRGGBB", upper case.
QString colourText(Colour colour);

// The members of one grid object, without the braces:
// "caption": …, "columns": C, "rows": R, "frozenRows": n, "frozenColumns": n, "cells": […]
QString gridMembers(const Sheet &sheet, const QString &caption);
void writeGridMembers(ExportOutput &out, const Sheet &sheet, const QString &caption);

// {"window": NAME, "caption": …, …} for an analysis window.
QString windowJson(const QString &window, const QString &caption, const Sheet &sheet);
void writeWindowJson(ExportOutput &out, const QString &window, const QString &caption, const Sheet &sheet);

// {"window": NAME, "error": "…"} for a window whose build failed.
QString errorJson(const QString &window, const QString &error);

// Text outputs (CSV, copies) cannot show colour: a dot drawn in the bonus
// colour is written as this mark, so that a number's appearances as a main
// number ("●") and as the bonus number stay apart. JSON keeps the colours.
inline const QString Dot = QStringLiteral("●");
inline const QString BonusMark = QStringLiteral("○");
// The cell's text as text outputs write it.
QString plainText(const Sheet &sheet, int col, int row);

// The grid's texts, one line per row 1 … R, columns 1 … C, bonus dots as
// BonusMark.
QString csv(const Sheet &sheet);
void writeCsv(ExportOutput &out, const Sheet &sheet);

} // namespace SheetExport
