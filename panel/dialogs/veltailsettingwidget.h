#ifndef VELTAILSETTINGWIDGET_H
#define VELTAILSETTINGWIDGET_H

#include "dialogs/velclipsettingpage.h"

// The tail clip page ("片尾"): the shared clip fields plus production unit,
// copyright unit and recording date, duration 2 to 5 seconds.
class VelTailSettingWidget : public VelClipSettingPage
{
    Q_OBJECT

public:
    explicit VelTailSettingWidget(QWidget* parent = nullptr);

    VelLineEdit* productionEdit() const { return m_pProduction; }
    VelLineEdit* copyrightEdit() const { return m_pCopyright; }
    VelLineEdit* dateEdit() const { return m_pDate; }

protected:
    void addOwnSettings(QMap<QString, QString>& map) const override;
    void fillOwn(const QMap<QString, QString>& mapSettings) override;
    void clearOwn() override;

private:
    VelLineEdit* m_pProduction = nullptr;
    VelLineEdit* m_pCopyright = nullptr;
    VelLineEdit* m_pDate = nullptr;
};

#endif // VELTAILSETTINGWIDGET_H
