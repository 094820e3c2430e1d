#ifndef VELSCREENCELLWIDGET_H
#define VELSCREENCELLWIDGET_H

#include <QLabel>
#include <QString>
#include <QStringList>

class QGridLayout;
class QRadioButton;
class VelPopContainer;

// One cell of a layout preview: the name of the camera it shows. In edit mode
// a click opens a chooser of the panel's cameras; a one-cell layout instead
// follows the program camera of the overview list. GUI thread only.
class VelScreenCellWidget : public QLabel
{
    Q_OBJECT

public:
    VelScreenCellWidget(const QString& name, const QStringList& names, QWidget* parent);
    ~VelScreenCellWidget() override;

    QString name() const { return m_strName; }
    void setName(const QString& name);
    bool isEditable() const { return m_bEditable; }
    void setEditable(bool bEditable) { m_bEditable = bEditable; }

    VelPopContainer* chooserContainer() const { return m_pChooserContainer; }
    QList<QRadioButton*> chooserButtons() const;

signals:
    void sigNameChanged(QString strName);

public slots:
    void sltChangeName();
    void sltSetSingleScreenName(QString strToken);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void buildChooser(const QStringList& names);
    int siblingCellCount() const;

    QString m_strName;
    bool m_bEditable = false;
    QWidget* m_pChooser = nullptr;
    VelPopContainer* m_pChooserContainer = nullptr; // top-level, deleted here
};

#endif // VELSCREENCELLWIDGET_H
