// Machine-wide and per-user registration: the libraries' own exports write the
// scope that vel-host --system asks for, the host sees the user's classes over
// the machine's, and a machine store that another user could have planted or
// changed is refused, for reading and for writing.
#include "velaxids.h"
#include "velaxregistry.h"
#include "velaxstore.h"
#include "velhostframe.h"
#include "velhostlibrary.h"
#include "velhostloader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kCorvane = QStringLiteral("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
// A store holding one class, as a planted file would.
const QByteArray kPlanted = R"({"CLSID": {"{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}":
    {"class": "Corvane", "library": "/tmp/planted/libtessaro.so"}}})";

bool writeFile(const QString& strPath, const QByteArray& data, int nMode)
{
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() &&
           ::chmod(QFile::encodeName(strPath).constData(), nMode) == 0;
}

QByteArray readFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TstAxRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void merged_data();
    void merged();
    void unregisterKeepsTheOtherScope();
    void refused_data();
    void refused();

private:
    VelAxResult registerIn(VelAxStore::Scope scope, bool bRegister);

    QTemporaryDir m_dir;
    VelHostLibrary* m_pTessaro = nullptr;
    QString m_strWork;
    QString m_strUser;
    QString m_strSystemDir;
    QString m_strSystem;
    int m_nCase = 0;
};

void TstAxRegistry::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QString strError;
    m_pTessaro = VelHostLibrary::open(QStringLiteral(VEL_TESSARO_LIB), &strError);
    QVERIFY2(m_pTessaro, qPrintable(strError));
}

void TstAxRegistry::init()
{
    m_strWork = m_dir.filePath(QString::number(++m_nCase));
    m_strSystemDir = m_strWork + QLatin1String("/etc");
    QVERIFY(QDir().mkpath(m_strWork));
    m_strUser = m_strWork + QLatin1String("/user/registry.json");
    m_strSystem = m_strSystemDir + QLatin1String("/registry.json");
    qputenv("VEL_AX_STORE", QFile::encodeName(m_strUser));
    qputenv("VEL_AX_SYSTEM_STORE", QFile::encodeName(m_strSystem));
}

void TstAxRegistry::cleanup()
{
    qunsetenv("VEL_AX_SCOPE");
}

VelAxResult TstAxRegistry::registerIn(VelAxStore::Scope scope, bool bRegister)
{
    qputenv("VEL_AX_SCOPE", VelAxStore::scopeName(scope).toLatin1());
    return bRegister ? m_pTessaro->registerServer() : m_pTessaro->unregisterServer();
}

void TstAxRegistry::merged_data()
{
    QTest::addColumn<bool>("inUser");
    QTest::addColumn<bool>("inSystem");
    QTest::addColumn<QString>("scope"); // empty: not found

    QTest::newRow("Machine only") << false << true << "system";
    QTest::newRow("User only") << true << false << "user";
    QTest::newRow("Both: the user's wins") << true << true << "user";
    QTest::newRow("Neither") << false << false << "";
}

void TstAxRegistry::merged()
{
    QFETCH(bool, inUser);
    QFETCH(bool, inSystem);
    QFETCH(QString, scope);
    // The machine's entry names the library itself; the user's names it through a
    // link of its own, so the library loaded shows whose entry won.
    const QString strUserLibrary = m_strWork + QLatin1String("/mine/libtessaro.so");
    QVERIFY(QDir().mkpath(m_strWork + QLatin1String("/mine")));
    QVERIFY(QFile::link(m_pTessaro->path(), strUserLibrary));
    if (inSystem)
        QCOMPARE(registerIn(VelAxStore::Scope::System, true), VEL_S_OK);
    if (inUser) {
        QVERIFY(VelAxStore::edit(m_strUser, [&](VelAxStore& store) {
            VelAxStore::ClassEntry entry;
            entry.strClassId = kCorvane;
            entry.strClassName = QStringLiteral("Corvane");
            entry.strLibrary = strUserLibrary;
            store.setClass(entry);
        }));
    }

    VelAxRegistry registry;
    QString strError;
    QVERIFY2(registry.load(&strError), qPrintable(strError));
    QVERIFY2(registry.systemError().isEmpty(), qPrintable(registry.systemError()));
    const VelAxRegistry::Class found = registry.findClass(kCorvane);
    QCOMPARE(found.entry.isValid(), !scope.isEmpty());

    VelHostFrame frame(QSize(640, 480));
    VelHostLoader loader(&frame);
    const VelHostLoader::Created created = loader.create(kCorvane);
    std::unique_ptr<QWidget> pControl(created.pControl);
    if (scope.isEmpty()) {
        QVERIFY(!pControl);
        QVERIFY2(created.strError.contains(m_strUser) && created.strError.contains(m_strSystem),
                 qPrintable(created.strError));
        return;
    }
    QCOMPARE(VelAxStore::scopeName(found.scope), scope);
    QVERIFY2(pControl, qPrintable(created.strError));
    QCOMPARE(created.entry.strLibrary,
             scope == QLatin1String("user") ? strUserLibrary : m_pTessaro->path());
    // --list shows the machine's entry under the user's as hidden.
    int nHidden = 0;
    for (const VelAxRegistry::Class& cls : registry.classes())
        nHidden += cls.bHidden ? 1 : 0;
    QCOMPARE(nHidden, inUser && inSystem ? 1 : 0);
}

void TstAxRegistry::unregisterKeepsTheOtherScope()
{
    QCOMPARE(registerIn(VelAxStore::Scope::System, true), VEL_S_OK);
    QCOMPARE(registerIn(VelAxStore::Scope::User, true), VEL_S_OK);
    // Every user's host reads the machine's store; only its owner writes it.
    QCOMPARE(QFileInfo(m_strSystem).permissions() & 0x7777,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                 QFile::ReadGroup | QFile::ReadOther);
    QCOMPARE(QFileInfo(m_strUser).permissions() & 0x0077, QFileDevice::Permissions());

    QCOMPARE(registerIn(VelAxStore::Scope::User, false), VEL_S_OK);
    VelAxStore user(m_strUser);
    QVERIFY(user.load());
    QVERIFY(!user.findClass(kCorvane).isValid());
    VelAxRegistry registry;
    QVERIFY(registry.load());
    QCOMPARE(registry.findClass(kCorvane).scope, VelAxStore::Scope::System);

    QCOMPARE(registerIn(VelAxStore::Scope::System, false), VEL_S_OK);
    QVERIFY(registry.load());
    QVERIFY(!registry.findClass(kCorvane).entry.isValid());
}

void TstAxRegistry::refused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("World-writable") << "0666"
                                    << "other users may write it";
    QTest::newRow("Group-writable") << "0664"
                                    << "other users may write it";
    QTest::newRow("Symbolic link") << "link"
                                   << "symbolic link";
    QTest::newRow("Dangling link") << "dangling"
                                   << "symbolic link";
    QTest::newRow("FIFO") << "fifo"
                          << "not a plain file";
    QTest::newRow("Folder in its place") << "folder"
                                         << "not a plain file";
    QTest::newRow("Folder writable by others") << "open-folder"
                                               << "folder may be written";
    QTest::newRow("Another user's file") << "chown"
                                         << "belongs to another user";
    QTest::newRow("Not a store") << "junk"
                                 << "not a registration store";
}

void TstAxRegistry::refused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(m_strSystemDir));
    const QByteArray system = QFile::encodeName(m_strSystem);
    const QString strElsewhere = m_strWork + QLatin1String("/elsewhere.json");
    QString strUnchanged = m_strSystem; // the file whose bytes must survive
    if (kind == QLatin1String("0666") || kind == QLatin1String("0664")) {
        QVERIFY(writeFile(m_strSystem, kPlanted, kind.toInt(nullptr, 8)));
    } else if (kind == QLatin1String("link")) {
        QVERIFY(writeFile(strElsewhere, kPlanted, 0644));
        QVERIFY(QFile::link(strElsewhere, m_strSystem));
        strUnchanged = strElsewhere;
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(strElsewhere, m_strSystem));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(system.constData(), 0644), 0);
        strUnchanged.clear();
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(m_strSystem));
        strUnchanged.clear();
    } else if (kind == QLatin1String("open-folder")) {
        QVERIFY(writeFile(m_strSystem, kPlanted, 0644));
        QCOMPARE(::chmod(QFile::encodeName(m_strSystemDir).constData(), 0777), 0);
    } else if (kind == QLatin1String("chown")) {
        if (::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        QVERIFY(writeFile(m_strSystem, kPlanted, 0644));
        QCOMPARE(::chown(system.constData(), 65534, 65534), 0);
    } else {
        QVERIFY(writeFile(m_strSystem, R"({"CLSID": 5})", 0644));
    }
    const QByteArray before = strUnchanged.isEmpty() ? QByteArray() : readFile(strUnchanged);

    // Read: the user's own classes still count, the machine's store does not.
    QVERIFY(registerIn(VelAxStore::Scope::User, true) == VEL_S_OK);
    VelAxRegistry registry;
    QVERIFY(registry.load());
    QVERIFY2(registry.systemError().contains(reason), qPrintable(registry.systemError()));
    QCOMPARE(registry.classes().size(), 1);
    QCOMPARE(registry.classes().first().scope, VelAxStore::Scope::User);
    QVERIFY(registerIn(VelAxStore::Scope::User, false) == VEL_S_OK);
    VelHostFrame frame(QSize(320, 240));
    VelHostLoader loader(&frame);
    const VelHostLoader::Created created = loader.create(kCorvane);
    QVERIFY(!created.pControl);
    QVERIFY2(created.strError.contains(reason), qPrintable(created.strError));

    // Write: root's registration neither follows nor replaces what it refuses.
    QCOMPARE(registerIn(VelAxStore::Scope::System, true), VEL_SELFREG_E_CLASS);
    QCOMPARE(registerIn(VelAxStore::Scope::System, false), VEL_SELFREG_E_CLASS);
    if (!strUnchanged.isEmpty())
        QCOMPARE(readFile(strUnchanged), before);
    if (kind == QLatin1String("link") || kind == QLatin1String("dangling"))
        QVERIFY(QFileInfo(m_strSystem).isSymLink());
    ::chmod(QFile::encodeName(m_strSystemDir).constData(), 0755);
}

QTEST_MAIN(TstAxRegistry)
#include "tst_axregistry.moc"
