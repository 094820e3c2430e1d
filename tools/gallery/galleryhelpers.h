#ifndef GALLERYHELPERS_H
#define GALLERYHELPERS_H

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QVector>

class QWidget;

// Runs the event loop for nMs so that animations reach their end.
void gallerySettle(int nMs);

// One cell of a page's layout answer; positions count in 64ths of a preview
// pixel (a preview is 128 wide).
QString galleryLayoutCell(const char* szName, const char* szToken, int x, int y, int w, int h);

// A label showing the pixmap on a plain backdrop with a margin around it.
QWidget* galleryBackdrop(const QPixmap& pixmap, const QColor& backdrop, int nMargin = 20);

// Pixmaps placed at the given offsets on one backdrop (for a widget together
// with its pop-up window).
struct GalleryLayer {
    QPixmap pixmap;
    QPoint offset;
};
QWidget* galleryCompose(const QVector<GalleryLayer>& layers, const QColor& backdrop,
                        int nMargin = 20);

// A captioned grid: each cell a pixmap with its caption below.
struct GalleryCell {
    QPixmap pixmap;
    QString strCaption;
};
QWidget* galleryGrid(const QVector<QVector<GalleryCell>>& rows, const QColor& backdrop);

// Mouse and hover events delivered straight to a widget; a press hovers first.
void galleryPress(QWidget* pWidget);
void galleryEnter(QWidget* pWidget);

#endif // GALLERYHELPERS_H
