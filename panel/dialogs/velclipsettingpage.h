#ifndef VELCLIPSETTINGPAGE_H
#define VELCLIPSETTINGPAGE_H

#include "veldialogcontent.h"

#include <QList>

class QComboBox;
class QHttpMultiPart;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class VelColorDisplayButton;
class VelLineEdit;
class VelPopContainer;

// What the title and tail clip pages share: picture and music with their
// choosers and flags, duration, caption font size and colour, the enable switch,
// the page check that adds the local files to the upload, and the settings
// object. The pages add their own block of fields and keys.
class VelClipSettingPage : public VelDialogContent
{
    Q_OBJECT

public:
    // The texts and limits in which the two pages differ.
    struct Texts {
        QString strNameKey;   // "preludeName" / "curtainName"
        QString strNameValue; // "prelude" / "curtain"
        QString strDuration;  // duration row label
        QString strSwitch;    // enable switch
        QString strMusicTip;  // tip after choosing music
        int nMaxDuration;     // validator and fill range upper bound
    };

    ~VelClipSettingPage() override;

    // Page check: 1 when the clip is disabled or complete, 0 when a picture,
    // music or duration is missing. Files chosen in this dialog go into the
    // multipart body handed over by setUploadHandles(); what the page sent
    // never does.
    int checkAccept() override;

    // Set by the credits widget before every check: the body the files go
    // into and the stamp of their upload names.
    void setUploadHandles(QNetworkAccessManager* pManager, QHttpMultiPart* pMultiPart,
                          const QString& strStamp);
    // Whether the last check found the clip disabled, and how many files it
    // added to the body.
    bool clipDisabled() const { return m_bClipDisabled; }
    int addedParts() const { return m_nAddedParts; }

    // The settings object sent as "target"; files chosen here are named with
    // the upload stamp, the page's values go back unchanged.
    QMap<QString, QString> settings(const QString& strStamp) const;
    // Fills the page from a "prelude" / "curtain" message.
    void fillFromMessage(const QMap<QString, QString>& mapMessage);
    // Empties paths and duration, font size "10", colour black, own block
    // emptied; flags and switch stay.
    void clearSettings();

    // "dir/intro.png" confirmed at 09:30:05 -> "intro_09_30_05.png".
    static QString uploadName(const QString& strPath, const QString& strStamp);
    // Whether a chosen value names a file on this machine: a drive colon or an
    // absolute path, and the file exists.
    static bool isLocalFile(const QString& strPath);

    QLineEdit* picturePath() const { return m_pPicturePath; }
    QLineEdit* musicPath() const { return m_pMusicPath; }
    VelLineEdit* durationEdit() const { return m_pDuration; }
    QComboBox* fontSizeBox() const { return m_pFontSize; }
    VelColorDisplayButton* colorButton() const { return m_pColor; }
    QRadioButton* enableSwitch() const { return m_pSwitch; }
    QPushButton* pictureButton() const { return m_pPictureButton; }
    QPushButton* musicButton() const { return m_pMusicButton; }
    bool pictureFlag() const { return m_bPictureFlag; }
    bool musicFlag() const { return m_bMusicFlag; }
    // The last tip shown; null before the first.
    QLabel* tipLabel() const { return m_pTipLabel; }
    VelPopContainer* tipContainer() const { return m_pTipContainer; }

public slots:
    void sltSetPicture();
    void sltSetMusic();
    // Shows or hides the heading, font size, colour and the page's own block.
    void sltSetHideState(bool bState);

protected:
    VelClipSettingPage(const Texts& texts, QWidget* parent);

    // Puts the page's own widgets where they belong in the column, in order;
    // hideable ones follow the hide state.
    void insertBlock(QWidget* pBlock, bool bHideable);
    void showTip(const QString& strText, QWidget* pAnchor);

    virtual void addOwnSettings(QMap<QString, QString>& map) const = 0;
    virtual void fillOwn(const QMap<QString, QString>& mapSettings) = 0;
    virtual void clearOwn() = 0;

private slots:
    void sltLengthTip();

private:
    QString chooseFile(const QString& strDescription, const QString& strPattern) const;
    // Appends one file part: -1 the value is empty, 0 it is a name the page
    // knows (everything the page sent), 1 a chosen file was added, -2 a chosen
    // file that cannot be read.
    int addFile(const QString& strPath, bool bFromPage, const char* szContentType,
                const char* szName);

    Texts m_texts;
    QVBoxLayout* m_pLayout = nullptr;
    int m_nBlockIndex = 0;
    QLineEdit* m_pPicturePath = nullptr;
    QLineEdit* m_pMusicPath = nullptr;
    VelLineEdit* m_pDuration = nullptr;
    QComboBox* m_pFontSize = nullptr;
    QRadioButton* m_pSwitch = nullptr;
    QPushButton* m_pPictureButton = nullptr;
    QPushButton* m_pMusicButton = nullptr;
    VelColorDisplayButton* m_pColor = nullptr;
    QList<QWidget*> m_hideable;
    QLabel* m_pTipLabel = nullptr;
    VelPopContainer* m_pTipContainer = nullptr;
    QNetworkAccessManager* m_pManager = nullptr;
    QHttpMultiPart* m_pMultiPart = nullptr;
    QString m_strStamp;
    bool m_bPictureFlag = false;
    bool m_bMusicFlag = false;
    bool m_bClipDisabled = false;
    int m_nAddedParts = 0;
};

#endif // VELCLIPSETTINGPAGE_H
