#include "dialogs/velclipsettingpage.h"

#include "dialogs/velformstyle.h"
#include "velcolordisplaybutton.h"
#include "velcommand.h"
#include "velfilechooser.h"
#include "vellineedit.h"
#include "velpopcontainer.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHttpMultiPart>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkRequest>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

const char* const kPictureStyle =
    "#wndpicture{background: rgb(237, 237, 237)}"
    "QPushButton{background: white; border-radius: 3px; border: 1px solid gray}"
    "QPushButton:hover{color: rgb(39, 183, 121)}"
    "QPushButton:pressed{background: rgb(40, 183, 121); color: white}";

QPushButton* browseButton(QWidget* parent)
{
    auto* pButton = new QPushButton(QObject::tr("浏览"), parent);
    pButton->setMinimumSize(70, 25);
    return pButton;
}

} // namespace

VelClipSettingPage::VelClipSettingPage(const Texts& texts, QWidget* parent)
    : VelDialogContent(parent), m_texts(texts)
{
    // (1) the picture row on its grey band
    auto* pPictureBand = new QWidget(this);
    pPictureBand->setObjectName(QStringLiteral("wndpicture"));
    pPictureBand->setAttribute(Qt::WA_StyledBackground);
    m_pPicturePath = new QLineEdit(pPictureBand);
    m_pPicturePath->setEnabled(false);
    m_pPicturePath->setMinimumHeight(25);
    m_pPictureButton = browseButton(pPictureBand);
    auto* pPictureRow = new QHBoxLayout(pPictureBand);
    pPictureRow->addWidget(velFormLabel(tr("* 上传图片"), 60, true, pPictureBand));
    pPictureRow->addWidget(m_pPicturePath);
    pPictureRow->addWidget(m_pPictureButton);
    pPictureRow->addSpacing(10);
    pPictureBand->setStyleSheet(QLatin1String(kPictureStyle));

    // (2) heading, (3) font size and colour
    QLabel* pHeading = velFormLabel(tr("设置信息"), 70, true, this);
    QLabel* pFontLabel = velFormLabel(tr("字号"), 70, false, this);
    m_pFontSize = new QComboBox(this);
    m_pFontSize->setMinimumWidth(50);
    m_pFontSize->addItems({QStringLiteral("10"), QStringLiteral("14"), QStringLiteral("16"),
                           QStringLiteral("20"), QStringLiteral("32")});
    QLabel* pColorLabel = velFormLabel(tr("颜色"), 70, false, this);
    m_pColor = new VelColorDisplayButton(this);
    m_pColor->setFixedSize(24, 24);
    m_pColor->setIcon(QIcon(QStringLiteral(":/resource/CV_TEXT_COLOR.png")));
    m_pColor->setIconSize(QSize(24, 24));
    m_pColor->setStyleSheet(QStringLiteral("QPushButton{border: 1px solid gray; border-radius: 0px}"
                                           "QPushButton:pressed{border: 2px solid rgb(39, 183, "
                                           "121)}"));
    auto* pLookRow = new QHBoxLayout;
    pLookRow->addWidget(pFontLabel);
    pLookRow->addWidget(m_pFontSize);
    pLookRow->addSpacing(5);
    pLookRow->addWidget(pColorLabel);
    pLookRow->addWidget(m_pColor);
    pLookRow->addStretch();

    // (5) music
    m_pMusicPath = new QLineEdit(this);
    m_pMusicPath->setEnabled(false);
    m_pMusicPath->setMinimumHeight(25);
    m_pMusicButton = browseButton(this);
    auto* pMusicRow = new QHBoxLayout;
    pMusicRow->addWidget(velFormLabel(tr("* 背景音乐"), 70, true, this));
    pMusicRow->addWidget(m_pMusicPath);
    pMusicRow->addWidget(m_pMusicButton);
    pMusicRow->addSpacing(20);

    // (6) duration
    m_pDuration = new VelLineEdit(this, 40);
    m_pDuration->setValidator(new QIntValidator(0, texts.nMaxDuration, m_pDuration));
    m_pDuration->setMaximumWidth(100);
    m_pDuration->setMinimumHeight(25);
    auto* pDurationRow = new QHBoxLayout;
    pDurationRow->addWidget(velFormLabel(texts.strDuration, 70, true, this));
    pDurationRow->addWidget(m_pDuration);
    pDurationRow->addWidget(new QLabel(tr("秒钟"), this));
    pDurationRow->addStretch();

    // (7) the switch at the right
    m_pSwitch = new QRadioButton(texts.strSwitch, this);
    m_pSwitch->setAutoExclusive(false);
    auto* pSwitchRow = new QHBoxLayout;
    pSwitchRow->addStretch();
    pSwitchRow->addWidget(m_pSwitch);
    pSwitchRow->addSpacing(15);

    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->addWidget(pPictureBand);
    m_pLayout->addWidget(pHeading);
    m_pLayout->addLayout(pLookRow);
    m_nBlockIndex = m_pLayout->count();
    m_pLayout->addLayout(pMusicRow);
    m_pLayout->addSpacing(10);
    m_pLayout->addLayout(pDurationRow);
    m_pLayout->addLayout(pSwitchRow);
    m_pLayout->addStretch();
    setStyleSheet(velClipFormStyle());
    // After the style sheet: the list takes the selection colour when built.
    velUseStyledComboList(m_pFontSize);

    m_hideable = {pHeading, pFontLabel, m_pFontSize, pColorLabel, m_pColor};

    connect(m_pPictureButton, &QPushButton::clicked, this, &VelClipSettingPage::sltSetPicture);
    connect(m_pMusicButton, &QPushButton::clicked, this, &VelClipSettingPage::sltSetMusic);
    connect(m_pDuration, &QLineEdit::editingFinished, this, &VelClipSettingPage::sltLengthTip);
}

VelClipSettingPage::~VelClipSettingPage()
{
    delete m_pTipContainer;
}

void VelClipSettingPage::insertBlock(QWidget* pBlock, bool bHideable)
{
    m_pLayout->insertWidget(m_nBlockIndex++, pBlock);
    if (bHideable)
        m_hideable.append(pBlock);
}

void VelClipSettingPage::setUploadHandles(QNetworkAccessManager* pManager,
                                          QHttpMultiPart* pMultiPart, const QString& strStamp)
{
    m_pManager = pManager;
    m_pMultiPart = pMultiPart;
    m_strStamp = strStamp;
}

int VelClipSettingPage::checkAccept()
{
    m_nAddedParts = 0;
    if (!m_pSwitch->isChecked()) {
        m_bClipDisabled = true;
        return 1;
    }
    m_bClipDisabled = false;
    const int nPicture = addFile(m_pPicturePath->text(), m_bPictureFlag, "image/jpeg", "pic");
    if (nPicture < 0) {
        showTip(nPicture == -1 ? tr("请选择图片") : tr("图片文件无法读取"), m_pPicturePath);
        return 0;
    }
    const int nMusic = addFile(m_pMusicPath->text(), m_bMusicFlag, "music/mp3", "audio");
    if (nMusic < 0) {
        showTip(nMusic == -1 ? tr("请选择背景音乐") : tr("音乐文件无法读取"), m_pMusicPath);
        return 0;
    }
    if (m_pDuration->text().isEmpty()) {
        showTip(tr("请填写时长"), m_pDuration);
        return 0;
    }
    return 1;
}

int VelClipSettingPage::addFile(const QString& strPath, bool bFromPage, const char* szContentType,
                                const char* szName)
{
    if (strPath.isEmpty())
        return -1;
    // What the page sent is a name, whatever it looks like: a page must never
    // choose which of the user's files go out, as no browser lets it fill a
    // file input.
    if (bFromPage)
        return 0;
    if (!isLocalFile(strPath)) {
        // A file the operator chose that has gone since must not go out as a
        // name the page would never find.
        const bool bLooksLocal =
            strPath.contains(QLatin1Char(':')) || QFileInfo(strPath).isAbsolute();
        return bLooksLocal ? -2 : 0;
    }
    auto* pFile = new QFile(strPath);
    if (!m_pMultiPart || !pFile->open(QIODevice::ReadOnly)) {
        delete pFile;
        return -2;
    }
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentTypeHeader, QLatin1String(szContentType));
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"%1\"; filename=\"%2\"")
                       .arg(QLatin1String(szName), uploadName(strPath, m_strStamp)));
    part.setBodyDevice(pFile);
    pFile->setParent(m_pMultiPart);
    m_pMultiPart->append(part);
    ++m_nAddedParts;
    return 1;
}

QMap<QString, QString> VelClipSettingPage::settings(const QString& strStamp) const
{
    // Only a file chosen here was uploaded and takes the stamped name.
    auto name = [&strStamp](const QString& strValue, bool bFromPage) {
        return !bFromPage && isLocalFile(strValue) ? uploadName(strValue, strStamp) : strValue;
    };
    QMap<QString, QString> map;
    map[m_texts.strNameKey] = m_texts.strNameValue;
    map[QStringLiteral("picture")] = name(m_pPicturePath->text(), m_bPictureFlag);
    map[QStringLiteral("fontSize")] = m_pFontSize->currentText();
    map[QStringLiteral("fontColor")] = m_pColor->color().name();
    map[QStringLiteral("backMusic")] = name(m_pMusicPath->text(), m_bMusicFlag);
    map[QStringLiteral("duration")] = m_pDuration->text();
    map[QStringLiteral("avaliable")] =
        m_pSwitch->isChecked() ? QStringLiteral("0") : QStringLiteral("1");
    map[QStringLiteral("pictureFlag")] = m_bPictureFlag ? QStringLiteral("1") : QStringLiteral("0");
    map[QStringLiteral("backMusicFlag")] = m_bMusicFlag ? QStringLiteral("1") : QStringLiteral("0");
    addOwnSettings(map);
    return map;
}

void VelClipSettingPage::fillFromMessage(const QMap<QString, QString>& mapMessage)
{
    const QMap<QString, QString> map = parseCommand(mapMessage.value(QStringLiteral("target")));
    const QString strPicture = map.value(QStringLiteral("picture"));
    const QString strMusic = map.value(QStringLiteral("backMusic"));
    m_pPicturePath->setText(strPicture);
    m_pFontSize->setCurrentText(map.value(QStringLiteral("fontSize")));
    // A missing or unreadable colour counts as black, which is what is sent.
    const QColor color(map.value(QStringLiteral("fontColor")));
    m_pColor->setColor(color.isValid() ? color : QColor(Qt::black));
    fillOwn(map);
    m_pMusicPath->setText(strMusic);
    m_pSwitch->setChecked(map.value(QStringLiteral("avaliable")).toInt() == 0);
    const int nDuration = map.value(QStringLiteral("duration")).toInt();
    m_pDuration->setText(nDuration >= 2 && nDuration <= m_texts.nMaxDuration
                             ? map.value(QStringLiteral("duration"))
                             : QStringLiteral("2"));
    m_bPictureFlag = !strPicture.isEmpty();
    m_bMusicFlag = !strMusic.isEmpty();
}

void VelClipSettingPage::clearSettings()
{
    m_pPicturePath->clear();
    m_pMusicPath->clear();
    m_pDuration->clear();
    m_pFontSize->setCurrentText(QStringLiteral("10"));
    m_pColor->setColor(QColor(QStringLiteral("#000000")));
    clearOwn();
}

QString VelClipSettingPage::uploadName(const QString& strPath, const QString& strStamp)
{
    QString strName = QFileInfo(strPath).fileName();
    strName.insert(qMax(0, strName.length() - 4), QLatin1Char('_'));
    strName.insert(qMax(0, strName.length() - 4), strStamp);
    return strName;
}

bool VelClipSettingPage::isLocalFile(const QString& strPath)
{
    if (!strPath.contains(QLatin1Char(':')) && !QFileInfo(strPath).isAbsolute())
        return false;
    return QFileInfo(strPath).isFile();
}

void VelClipSettingPage::sltSetPicture()
{
    const QString strPath =
        chooseFile(QStringLiteral("Picture Files(*.png)"), QStringLiteral("*.png"));
    if (strPath.isEmpty() || !QFileInfo::exists(strPath))
        return;
    m_bPictureFlag = false;
    m_pPicturePath->setText(strPath);
    showTip(tr("分辨率应与录像分辨率相同"), m_pPicturePath);
}

void VelClipSettingPage::sltSetMusic()
{
    const QString strPath =
        chooseFile(QStringLiteral("Music Files(*.mp3)"), QStringLiteral("*.mp3"));
    if (strPath.isEmpty() || !QFileInfo::exists(strPath))
        return;
    m_bMusicFlag = false;
    m_pMusicPath->setText(strPath);
    showTip(m_texts.strMusicTip, m_pMusicPath);
}

void VelClipSettingPage::sltSetHideState(bool bState)
{
    for (QWidget* pWidget : m_hideable)
        pWidget->setVisible(bState);
}

void VelClipSettingPage::sltLengthTip()
{
    if (m_pDuration->text().toInt() <= 1)
        m_pDuration->setText(QStringLiteral("2"));
}

QString VelClipSettingPage::chooseFile(const QString& strDescription,
                                       const QString& strPattern) const
{
    VelFileChooser chooser;
    return chooser.selectFile({{strDescription, strPattern}})
        .replace(QLatin1Char('\\'), QLatin1Char('/'));
}

void VelClipSettingPage::showTip(const QString& strText, QWidget* pAnchor)
{
    // The container takes its size from the content once, when it is built,
    // so each tip gets a container sized to its own text. No parent: a window
    // of its own, deleted with the page.
    delete m_pTipContainer;
    m_pTipLabel = new QLabel(strText);
    m_pTipLabel->setStyleSheet(QStringLiteral("color: white"));
    m_pTipLabel->adjustSize();
    m_pTipContainer = new VelPopContainer(nullptr, m_pTipLabel, QString());
    m_pTipContainer->setBackgroundColor(QColor(120, 120, 120, 255));
    const QPoint centre = pAnchor->mapToGlobal(pAnchor->rect().center());
    m_pTipContainer->popupAt(centre.x(), centre.y(), 32, 32);
    m_pTipContainer->raise();
}
