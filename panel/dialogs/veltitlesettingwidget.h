#ifndef VELTITLESETTINGWIDGET_H
#define VELTITLESETTINGWIDGET_H

#include "dialogs/velclipsettingpage.h"

class VelCourseInfoWidget;

// The title clip page ("片头"): the shared clip fields plus the course
// information, duration 2 to 30 seconds.
class VelTitleSettingWidget : public VelClipSettingPage
{
    Q_OBJECT

public:
    explicit VelTitleSettingWidget(QWidget* parent = nullptr);

    VelCourseInfoWidget* courseBlock() const { return m_pCourse; }

protected:
    void addOwnSettings(QMap<QString, QString>& map) const override;
    void fillOwn(const QMap<QString, QString>& mapSettings) override;
    void clearOwn() override;

private:
    VelCourseInfoWidget* m_pCourse = nullptr;
};

#endif // VELTITLESETTINGWIDGET_H
