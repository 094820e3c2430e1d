#ifndef VELLINEEDIT_H
#define VELLINEEDIT_H

#include <QLineEdit>

// Line edit with a length limit in UTF-16 characters. A change that goes over
// the limit is undone to the last text that had exactly the limit's length;
// when a selection was made since the last cut, the over-long text is cut to
// the limit instead (so replacing a selection keeps what was typed).
class VelLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    VelLineEdit(QWidget* parent, int maxLength);

    int lengthLimit() const { return m_nMaxLength; }

public slots:
    void sltAdjustText(QString text);
    void sltSetSelection();

private:
    int m_nMaxLength = 0;
    QString m_strLimitText;
    QString m_strSelection;
};

#endif // VELLINEEDIT_H
