#include "dialogs/veltitlesettingwidget.h"

#include "dialogs/velcourseinfowidget.h"

namespace
{

VelClipSettingPage::Texts titleTexts()
{
    return {QStringLiteral("preludeName"),
            QStringLiteral("prelude"),
            VelTitleSettingWidget::tr("* 片头时长"),
            VelTitleSettingWidget::tr("启用片头"),
            VelTitleSettingWidget::tr("采样率应设为 44100 及以上"),
            30};
}

} // namespace

VelTitleSettingWidget::VelTitleSettingWidget(QWidget* parent)
    : VelClipSettingPage(titleTexts(), parent)
{
    m_pCourse = new VelCourseInfoWidget(this);
    insertBlock(m_pCourse, true);
}

void VelTitleSettingWidget::addOwnSettings(QMap<QString, QString>& map) const
{
    const QMap<QString, QString> course = m_pCourse->settings();
    for (auto it = course.cbegin(); it != course.cend(); ++it)
        map.insert(it.key(), it.value());
}

void VelTitleSettingWidget::fillOwn(const QMap<QString, QString>& mapSettings)
{
    m_pCourse->fillFromSettings(mapSettings);
}

void VelTitleSettingWidget::clearOwn()
{
    m_pCourse->clearFields();
}
