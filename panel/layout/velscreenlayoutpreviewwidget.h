#ifndef VELSCREENLAYOUTPREVIEWWIDGET_H
#define VELSCREENLAYOUTPREVIEWWIDGET_H

#include <QList>
#include <QMap>
#include <QPushButton>
#include <QString>

class VelScreenCellWidget;

// One screen layout as a small checkable picture of its cells. While it is
// selectable a click selects it; otherwise (edit mode) clicks go to its cells,
// and a cell change is reported as a "settingMutilScreen" command. GUI thread.
class VelScreenLayoutPreviewWidget : public QPushButton
{
    Q_OBJECT

public:
    explicit VelScreenLayoutPreviewWidget(QWidget* parent);

    // The page's token list of the layout, "[{...},{...}]": one cell each, its
    // geometry in 64ths of a pixel, rounded up.
    void setCells(const QString& strCells);
    void setLayoutId(const QString& strId) { m_strLayoutId = strId; }
    QString layoutId() const { return m_strLayoutId; }
    void setSelectable(bool bSelectable);
    bool isSelectable() const { return m_bSelectable; }

    QList<VelScreenCellWidget*> cells() const { return m_cells; }
    QMap<QString, QString> cellTokens() const { return m_cellTokens; }

signals:
    void sigSendCommand(QMap<QString, QString> lstParam);

public slots:
    void sltChangeCellNames(QString strCell);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QString m_strLayoutId;
    QList<VelScreenCellWidget*> m_cells;
    QMap<QString, QString> m_cellTokens; // camera name -> token from the layout data
    bool m_bSelectable = true;
};

#endif // VELSCREENLAYOUTPREVIEWWIDGET_H
