#include "veltestresources.h"

#include <QImage>
#include <QtTest>

namespace
{

const char* const kCloudKeys[] = {"ZOOMIN", "ZOOMOUT", "UP",    "DOWN",  "LEFT", "RIGHT",
                                  "ZERO",   "ONE",     "TWO",   "THREE", "FOUR", "FIVE",
                                  "SIX",    "SEVEN",   "EIGHT", "NINE"};

struct Pair {
    const char* szNormal;
    const char* szPressed;
    QSize size;
};

// Image pairs named by the views of each library, as their code spells the paths.
QVector<Pair> pairs()
{
    QVector<Pair> list;
    static QVector<QByteArray> cloud;
    if (cloud.isEmpty()) {
        for (const char* szKey : kCloudKeys) {
            cloud << QByteArray(":/resource/CV_CLOUDCONTROL_") + szKey + "_SLIENT.png";
            cloud << QByteArray(":/resource/CV_CLOUDCONTROL_") + szKey + "_PRESS.png";
        }
    }
    for (int i = 0; i < cloud.size(); i += 2)
        list.append({cloud.at(i).constData(), cloud.at(i + 1).constData(), QSize(24, 24)});
#ifdef VEL_FORM_VIMBREL
    for (const char* szName : {"ptz", "snapshot", "record", "audio"}) {
        static QVector<QByteArray> names;
        names << QByteArray(":resource/wm_") + szName + "0.png"
              << QByteArray(":resource/wm_") + szName + "1.png";
        list.append(
            {names.at(names.size() - 2).constData(), names.last().constData(), QSize(39, 33)});
    }
#else
    const QSize bar(32, 32);
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_RECORD_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_RECORD_PRESS.png", bar});
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_PAUSE_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_PAUSE_PRESS.png", bar});
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_STOP_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_STOP_PRESS.png", bar});
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_VOLUME_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_VOLUME_PRESS.png", bar});
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_SCREENSHOT_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_SCREENSHOT_PRESS.png", bar});
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_RECORDSTATE_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_RECORDSTATE_ENABLE.png", bar});
    list.append({":/resource/CV_OVERVIEWCONTROLBAR_LIVESTATE_SLIENT.png",
                 ":/resource/CV_OVERVIEWCONTROLBAR_LIVESTATE_ENABLE.png", bar});
    list.append({":/resource/CV_OVERVIEW_SWITCH_SLIENT.png",
                 ":/resource/CV_OVERVIEW_SWITCH_PRESS.png", QSize(20, 20)});
    list.append({":/resource/CV_SCREENDIVIDINGSETTING-SLIENT.png",
                 ":/resource/CV_SCREENDIVIDINGSETTING-PRESS.png", QSize(16, 16)});
    for (const char* szKind : {"NONE", "ERASE", "STEP", "FLY"}) {
        static QVector<QByteArray> names;
        names << QByteArray(":/resource/CV_TRANSITION_") + szKind + "_SLIENT.png"
              << QByteArray(":/resource/CV_TRANSITION_") + szKind + "_PRESS.png";
        list.append(
            {names.at(names.size() - 2).constData(), names.last().constData(), QSize(70, 70)});
    }
    list.append({":/resource/CV_DIALO_EXIT_SLIENT.png", ":/resource/CV_DIALO_EXIT_HOVER.png",
                 QSize(36, 36)});
    // The form style sheets name these with "%1" for ":".
    list.append({"%1/resource/CV_COMBOBOX_DOWNARROW_SLIENT.png",
                 "%1/resource/CV_COMBOBOX_DOWNARROW_PRESS.png", QSize(12, 12)});
    list.append({"%1/resource/CV_RADIOBUTTON_UNCHECKED.png",
                 "%1/resource/CV_RADIOBUTTON_CHECKED.png", QSize(16, 16)});
#endif
    return list;
}

QImage load(const char* szPath)
{
    const QString strPath =
        QString::fromLatin1(szPath).replace(QLatin1String("%1"), QLatin1String(":"));
    return QImage(strPath).convertToFormat(QImage::Format_ARGB32);
}

// Share of pixels whose colour or alpha differs clearly between the two faces.
double differingShare(const QImage& a, const QImage& b)
{
    int nDiffer = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor ca = a.pixelColor(x, y), cb = b.pixelColor(x, y);
            const int d = qAbs(ca.red() - cb.red()) + qAbs(ca.green() - cb.green()) +
                          qAbs(ca.blue() - cb.blue()) + qAbs(ca.alpha() - cb.alpha());
            if (d > 60)
                ++nDiffer;
        }
    }
    return double(nDiffer) / (a.width() * a.height());
}

double opaqueShare(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y).alpha() > 128;
    return double(n) / (image.width() * image.height());
}

} // namespace

class TstResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pairsLoadAndDiffer_data();
    void pairsLoadAndDiffer();
    void singleImages_data();
    void singleImages();
};

void TstResources::initTestCase()
{
    velInitTestResources();
}

void TstResources::pairsLoadAndDiffer_data()
{
    QTest::addColumn<QString>("strNormal");
    QTest::addColumn<QString>("strPressed");
    QTest::addColumn<QSize>("size");
    for (const Pair& pair : pairs())
        QTest::newRow(pair.szNormal) << QString::fromLatin1(pair.szNormal)
                                     << QString::fromLatin1(pair.szPressed) << pair.size;
}

void TstResources::pairsLoadAndDiffer()
{
    QFETCH(QString, strNormal);
    QFETCH(QString, strPressed);
    QFETCH(QSize, size);
    const QImage normal = load(strNormal.toLatin1().constData());
    const QImage pressed = load(strPressed.toLatin1().constData());
    QVERIFY2(!normal.isNull(), qPrintable(strNormal));
    QVERIFY2(!pressed.isNull(), qPrintable(strPressed));
    QCOMPARE(normal.size(), size);
    QCOMPARE(pressed.size(), size);
    // Something is drawn, and the two faces are told apart at a glance.
    QVERIFY(opaqueShare(normal) > 0.03);
    QVERIFY(opaqueShare(pressed) > 0.03);
    QVERIFY2(differingShare(normal, pressed) > 0.08, qPrintable(strNormal));
}

void TstResources::singleImages_data()
{
    QTest::addColumn<QString>("strPath");
    QTest::addColumn<QSize>("size");
    QTest::newRow("no-signal picture")
        << ":/resource/CV_OVERVIEWWIDGET_SLIENT.png" << QSize(96, 72);
    QTest::newRow("connecting spinner")
        << ":/resource/CV_OVERVIEWWIDGET_CONNECT.png" << QSize(40, 40);
#ifdef VEL_FORM_TESSARO
    QTest::newRow("text colour") << ":/resource/CV_TEXT_COLOR.png" << QSize(24, 24);
    QTest::newRow("background colour") << ":/resource/CV_BACKGROUND_COLOR.png" << QSize(24, 24);
#endif
}

void TstResources::singleImages()
{
    QFETCH(QString, strPath);
    QFETCH(QSize, size);
    const QImage image(strPath);
    QVERIFY2(!image.isNull(), qPrintable(strPath));
    QCOMPARE(image.size(), size);
    QVERIFY(opaqueShare(image.convertToFormat(QImage::Format_ARGB32)) > 0.01);
}

QTEST_MAIN(TstResources)
#include "tst_resources.moc"
