#ifndef VELSCREENLAYOUTSCAN_H
#define VELSCREENLAYOUTSCAN_H

#include <QList>
#include <QRect>
#include <QString>

// The scanning of "settingMutilScreen" answers, apart from the widgets that
// show them, so that it can be driven with any text a page may send.

// One layout of the answer: its id and its token list text, "[{...},{...}]".
struct VelScreenLayoutEntry {
    QString strId;
    QString strCells;
};

// One cell of a layout's token list; geometry in preview pixels.
struct VelScreenCellEntry {
    QString strName;
    QString strToken;
    QRect geometry;
};

// Each layout is a preview widget and each cell a widget in it: a page has a
// handful, text beyond these many is not read.
constexpr int kMaxScreenLayouts = 64;
constexpr int kMaxScreenCells = 64;

// strTarget is the layout array as the control hands it on, wrapped in
// braces: {[{"layoutId":"...","tokens":[{...},...]},...]}. The n-th
// "layoutId" pairs with the n-th "tokens", as pages without JSON rely on.
QList<VelScreenLayoutEntry> velScreenLayoutsFromTarget(const QString& strTarget);

// The cells of a token list: one a {...} span, its geometry in 64ths of a
// preview pixel, rounded up and clamped to what a widget can hold.
QList<VelScreenCellEntry> velScreenCellsFromTokens(const QString& strCells);

#endif // VELSCREENLAYOUTSCAN_H
