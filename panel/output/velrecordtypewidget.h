#ifndef VELRECORDTYPEWIDGET_H
#define VELRECORDTYPEWIDGET_H

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

// The working-mode chooser of the output control bar: record, live cast, or
// both. The radio buttons carry the working mode ids as object names. It
// reports changes only; setWorkingMode changes it without an operator and
// names the widget "flag" meanwhile, so that a receiver can tell the two apart.
class VelRecordTypeWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VelRecordTypeWidget(QWidget* parent = nullptr);

    // One of the three ids; anything else changes nothing. Emits
    // sigButtonChecked even when the mode already is the current one.
    void setWorkingMode(const QString& strMode);
    QAbstractButton* currentButton() const { return m_pCurrentButton; }

signals:
    void sigButtonChecked(QAbstractButton* pbtn);

public slots:
    void sltButtonChecked(QAbstractButton* pbtn);

private:
    QRadioButton* m_pRecordButton = nullptr;
    QRadioButton* m_pLiveButton = nullptr;
    QRadioButton* m_pBothButton = nullptr;
    QButtonGroup* m_pButtonGroup = nullptr;
    QVBoxLayout* m_pLayout = nullptr;
    QAbstractButton* m_pCurrentButton = nullptr;
};

#endif // VELRECORDTYPEWIDGET_H
