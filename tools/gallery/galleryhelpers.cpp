#include "galleryhelpers.h"

#include <QApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

void gallerySettle(int nMs)
{
    QEventLoop loop;
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    loop.exec();
}

QWidget* galleryBackdrop(const QPixmap& pixmap, const QColor& backdrop, int nMargin)
{
    return galleryCompose({{pixmap, QPoint(0, 0)}}, backdrop, nMargin);
}

QWidget* galleryCompose(const QVector<GalleryLayer>& layers, const QColor& backdrop, int nMargin)
{
    QRect bounds;
    for (const GalleryLayer& layer : layers)
        bounds |= QRect(layer.offset, layer.pixmap.size() / layer.pixmap.devicePixelRatio());
    QPixmap canvas(bounds.size() + QSize(2 * nMargin, 2 * nMargin));
    canvas.fill(backdrop);
    {
        QPainter painter(&canvas);
        for (const GalleryLayer& layer : layers)
            painter.drawPixmap(layer.offset - bounds.topLeft() + QPoint(nMargin, nMargin),
                               layer.pixmap);
    }
    auto* pLabel = new QLabel;
    pLabel->setPixmap(canvas);
    pLabel->resize(canvas.size());
    return pLabel;
}

QWidget* galleryGrid(const QVector<QVector<GalleryCell>>& rows, const QColor& backdrop)
{
    auto* pHost = new QWidget;
    pHost->setAutoFillBackground(true);
    QPalette palette = pHost->palette();
    palette.setColor(QPalette::Window, backdrop);
    palette.setColor(QPalette::WindowText, backdrop.lightness() < 128 ? Qt::white : Qt::black);
    pHost->setPalette(palette);

    auto* pGrid = new QGridLayout(pHost);
    pGrid->setContentsMargins(16, 16, 16, 16);
    pGrid->setHorizontalSpacing(24);
    pGrid->setVerticalSpacing(6);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            auto* pImage = new QLabel;
            pImage->setPixmap(rows[r][c].pixmap);
            pImage->setAlignment(Qt::AlignCenter);
            auto* pCaption = new QLabel(rows[r][c].strCaption);
            pCaption->setAlignment(Qt::AlignCenter);
            pGrid->addWidget(pImage, 2 * r, c);
            pGrid->addWidget(pCaption, 2 * r + 1, c);
        }
    }
    pHost->adjustSize();
    return pHost;
}

void galleryPress(QWidget* pWidget)
{
    // A real press comes with the mouse over the button: its :hover style
    // (no border on the panel's image buttons) and hover image apply too.
    galleryEnter(pWidget);
    // Offscreen, Qt never reports the pointer over a widget to its style
    // (State_MouseOver stays off whatever the events), so :hover rules do not
    // match and a flat button draws its sunken panel: the grey square. In the
    // panel a press always has the pointer over the button, so its own :hover
    // rules are applied to the pressed state as well.
    const QString strSheet = pWidget->styleSheet();
    if (strSheet.contains(QLatin1String(":hover")))
        pWidget->setStyleSheet(
            strSheet + QLatin1Char(' ') +
            QString(strSheet).replace(QLatin1String(":hover"), QLatin1String(":pressed")));
    const QPoint centre = pWidget->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, pWidget->mapToGlobal(centre),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &press);
}

void galleryEnter(QWidget* pWidget)
{
    // Style sheets read :hover from the under-mouse flag, which only the
    // application's own pointer tracking sets; a sent event alone leaves it off.
    pWidget->setAttribute(Qt::WA_Hover, true);
    pWidget->setAttribute(Qt::WA_UnderMouse, true);
    const QPoint centre = pWidget->rect().center();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(pWidget, &enter);
    QHoverEvent hover(QEvent::HoverEnter, centre, QPoint(-1, -1));
    QApplication::sendEvent(pWidget, &hover);
    pWidget->update();
}

QString galleryLayoutCell(const char* szName, const char* szToken, int x, int y, int w, int h)
{
    return QStringLiteral("{\"tokenNames\":\"%1\",\"tokenId\":\"%2\",\"height\":\"%3\","
                          "\"width\":\"%4\",\"top\":\"%5\",\"left\":\"%6\"}")
        .arg(QString::fromUtf8(szName), QLatin1String(szToken))
        .arg(h * 64)
        .arg(w * 64)
        .arg(y * 64)
        .arg(x * 64);
}
