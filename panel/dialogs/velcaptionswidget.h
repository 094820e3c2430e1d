#ifndef VELCAPTIONSWIDGET_H
#define VELCAPTIONSWIDGET_H

#include "veldialogcontent.h"

#include <QColor>

class QComboBox;
class QTextEdit;
class VelColorDisplayButton;

// The caption form: text, font size, text and background colours. The
// position choice is shown but not sent.
class VelCaptionsWidget : public VelDialogContent
{
    Q_OBJECT

public:
    explicit VelCaptionsWidget(QWidget* parent = nullptr);

    // Sends "subTile" with the caption and its look.
    int checkAccept() override;

    QComboBox* fontSizeBox() const { return m_pFontSize; }
    QComboBox* positionBox() const { return m_pPosition; }
    VelColorDisplayButton* textColorButton() const { return m_pTextColor; }
    VelColorDisplayButton* backgroundColorButton() const { return m_pBackgroundColor; }
    QTextEdit* captionField() const { return m_pCaption; }

private slots:
    // The buttons keep their colour; it is read when the caption is sent.
    void sltTextColorChanged(QColor color);
    void sltBackGroundColorChanged(QColor color);

private:
    QComboBox* m_pFontSize = nullptr;
    VelColorDisplayButton* m_pTextColor = nullptr;
    VelColorDisplayButton* m_pBackgroundColor = nullptr;
    QComboBox* m_pPosition = nullptr;
    QTextEdit* m_pCaption = nullptr;
};

#endif // VELCAPTIONSWIDGET_H
