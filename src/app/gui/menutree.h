#pragma once

#include "app/gui/menucommands.h"

#include <QString>

#include <vector>

// The main window's menu, each entry with what it does: level 1 items stand
// in the menu bar; an item of level 2 or 3 belongs to the sub-menu of the
// nearest item above it with a lower level. An item with a sub-menu does
// nothing itself.
struct MenuItem
{
    int level;
    QString name;    // objectName of the QMenu or QAction (mnu…)
    QString caption; // "&" marks the access key
    MenuAction action;

    // The caption of a separator line; the items added after the original
    // menus stand behind one.
    inline static const QString Separator = QStringLiteral("-");
    bool isSeparator() const { return caption == Separator; }
};

const std::vector<MenuItem> &menuTree();
