#include "velhostpage.h"

#include "velaxfactory.h"
#include "velaxstore.h"
#include "velhostconfine.h"
#include "velhostcontrol.h"
#include "velhostframe.h"
#include "velhostlibrary.h"
#include "velhosttimers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJSEngine>
#include <QQmlEngine>
#include <QTimer>
#include <QWidget>

#include <cstdio>

VelHostPage::VelHostPage(const QSize& frameSize, const QVariantMap& args, QObject* parent)
    : QObject(parent), m_pEngine(new QJSEngine), m_pFrame(new VelHostFrame(frameSize)), m_args(args)
{
    m_pTimers = new VelHostTimers(
        m_pEngine, [this](const QJSValue& error) { reportError(error); }, this);
}

VelHostPage::~VelHostPage()
{
    delete m_pTimers;
    m_pTimers = nullptr;
    while (!m_controls.isEmpty())
        delete m_controls.takeLast(); // releases its control
    delete m_pFrame;
    delete m_pEngine;
}

void VelHostPage::run(const QString& strPagePath)
{
    const QFileInfo pageInfo(strPagePath);
    m_strPageDir = pageInfo.absolutePath();
    m_pFrame->setWindowTitle(QStringLiteral("vel-host - %1").arg(pageInfo.fileName()));
    m_pFrame->show();

    // The prelude is a function of (global, native) that builds the page API.
    QQmlEngine::setObjectOwnership(this, QQmlEngine::CppOwnership);
    QJSValue prelude = evaluateFile(QStringLiteral(":/host/prelude.js"));
    if (!prelude.isError())
        prelude = prelude.call({m_pEngine->globalObject(), m_pEngine->newQObject(this)});
    if (prelude.isError()) {
        reportError(prelude);
        finish(1);
        return;
    }
    if (!pageInfo.isFile()) {
        fail(QStringLiteral("vel-host: cannot read the page %1").arg(strPagePath));
        return;
    }
    const QJSValue result = evaluateFile(pageInfo.absoluteFilePath());
    if (result.isError()) {
        reportError(result);
        finish(1);
    }
}

QJSValue VelHostPage::evaluateFile(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return m_pEngine->newErrorObject(QJSValue::URIError,
                                         QStringLiteral("cannot read %1").arg(strPath));
    return m_pEngine->evaluate(QString::fromUtf8(file.readAll()), strPath, 1);
}

void VelHostPage::finish(int nCode)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_nExitCode = (nCode == 0 && m_nErrors > 0) ? 1 : nCode;
    if (m_pTimers)
        m_pTimers->clearAll();
    const int nExitCode = m_nExitCode;
    // Queued, so that it also works while the page script is still being
    // evaluated, before the event loop runs.
    QTimer::singleShot(0, qApp, [nExitCode]() { QCoreApplication::exit(nExitCode); });
}

void VelHostPage::fail(const QString& strMessage)
{
    print(2, strMessage);
    ++m_nErrors;
    finish(1);
}

QJSValue VelHostPage::createControl(const QString& strClassId, const QJSValue& options)
{
    auto error = [this](const QString& strMessage) {
        m_pEngine->throwError(strMessage);
        return QJSValue();
    };
    if (VelAxStore::normalizedId(strClassId).isEmpty())
        return error(QStringLiteral("\"%1\" is not a class id "
                                    "({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} expected)")
                         .arg(strClassId));
    VelAxStore store;
    QString strError;
    if (!store.load(&strError))
        return error(strError);
    const VelAxStore::ClassEntry entry = store.findClass(strClassId);
    if (!entry.isValid())
        return error(
            QStringLiteral("class %1 is not registered (store %2)").arg(strClassId, store.path()));

    // The store's path is taken as it stands: a relative one would depend on
    // the current directory and the loader's search.
    if (!QDir::isAbsolutePath(entry.strLibrary))
        return error(QStringLiteral("class %1: the store records the library path \"%2\", which "
                                    "is not absolute")
                         .arg(strClassId, entry.strLibrary));
    VelHostLibrary* pLibrary = VelHostLibrary::open(entry.strLibrary, &strError);
    if (!pLibrary)
        return error(QStringLiteral("class %1: %2").arg(strClassId, strError));
    VelAxFactory* pFactory = nullptr;
    const VelAxResult nResult = pLibrary->getClassObject(entry.strClassId, &pFactory);
    if (nResult != VEL_S_OK || !pFactory)
        return error(QStringLiteral("class %1: DllGetClassObject of %2 failed (%3)")
                         .arg(strClassId, pLibrary->path(), VelHostLibrary::resultText(nResult)));
    if (!m_loadedLibraries.contains(pLibrary->path())) {
        m_loadedLibraries.insert(pLibrary->path());
        print(0, QStringLiteral("vel-host: loaded %1 (%2 %3)")
                     .arg(pLibrary->path(), pFactory->libraryName(), pFactory->version()));
    }

    QObject* pObject = pFactory->createObject(pFactory->keyForClassID(entry.strClassId));
    QWidget* pWidget = qobject_cast<QWidget*>(pObject);
    if (!pWidget) {
        delete pObject;
        return error(QStringLiteral("class %1: the factory of %2 created no control")
                         .arg(strClassId, pLibrary->path()));
    }
    const QSize size(options.property(QStringLiteral("width")).toInt(),
                     options.property(QStringLiteral("height")).toInt());
    m_pFrame->embed(pWidget, size);

    auto* pControl =
        new VelHostControl(pObject, entry.strClassId, pFactory->version(), m_pEngine, this);
    m_controls << pControl;
    QQmlEngine::setObjectOwnership(pControl, QQmlEngine::CppOwnership);
    return m_pEngine->newQObject(pControl);
}

int VelHostPage::setTimer(const QJSValue& callback, double dDelayMs, bool bRepeat,
                          const QJSValue& args)
{
    if (m_bFinished)
        return 0;
    QJSValueList list;
    const int nCount = args.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < nCount; ++i)
        list << args.property(quint32(i));
    return m_pTimers->start(callback, dDelayMs, bRepeat, list);
}

void VelHostPage::clearTimer(int nId)
{
    m_pTimers->clear(nId);
}

void VelHostPage::print(int nLevel, const QString& strText) const
{
    FILE* pStream = nLevel == 0 ? stdout : stderr;
    std::fprintf(pStream, "%s\n", strText.toUtf8().constData());
    std::fflush(pStream);
}

QString VelHostPage::errorText(const QJSValue& error) const
{
    const QString strFile = error.property(QStringLiteral("fileName")).toString();
    const int nLine = error.property(QStringLiteral("lineNumber")).toInt();
    QString strWhere;
    if (!strFile.isEmpty() && strFile != QLatin1String("undefined"))
        strWhere = QStringLiteral("%1:%2: ").arg(QFileInfo(strFile).fileName()).arg(nLine);
    return strWhere + error.toString();
}

void VelHostPage::reportError(const QJSValue& error)
{
    ++m_nErrors;
    print(2, QStringLiteral("page error: %1").arg(errorText(error)));
}

QString VelHostPage::version() const
{
    return QCoreApplication::applicationVersion();
}

QJSValue VelHostPage::env(const QString& strName) const
{
    const QByteArray name = strName.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(name.constData()))
        return QJSValue(QJSValue::NullValue);
    return QJSValue(qEnvironmentVariable(name.constData()));
}

QString VelHostPage::confinedDrivePath(const char* szCall, const QString& strPath) const
{
    QString strError;
    const QString strLocal = VelHostConfine::drivePath(strPath, &strError);
    if (strLocal.isEmpty())
        m_pEngine->throwError(QStringLiteral("host.%1: %2").arg(QLatin1String(szCall), strError));
    return strLocal;
}

QJSValue VelHostPage::readDriveFile(const QString& strPath) const
{
    const QString strLocal = confinedDrivePath("readDriveFile", strPath);
    if (strLocal.isEmpty())
        return QJSValue();
    QFile file(strLocal);
    if (!file.open(QIODevice::ReadOnly))
        return QJSValue(QJSValue::NullValue);
    return QJSValue(QString::fromLatin1(file.readAll()));
}

bool VelHostPage::writeDriveFile(const QString& strPath, const QString& strText) const
{
    const QString strLocal = confinedDrivePath("writeDriveFile", strPath);
    if (strLocal.isEmpty())
        return false;
    QFile file(strLocal);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(strText.toUtf8()) == strText.toUtf8().size();
}

bool VelHostPage::removeDriveFile(const QString& strPath) const
{
    const QString strLocal = confinedDrivePath("removeDriveFile", strPath);
    return !strLocal.isEmpty() && QFile::remove(strLocal);
}

void VelHostPage::qtDebug(const QString& strText) const
{
    qDebug("%s", qPrintable(strText));
}

QJSValue VelHostPage::include(const QString& strPath)
{
    // The page's folder and the demo folder (the demo page's platform answers).
    QStringList lstRoots{m_strPageDir, QString::fromUtf8(VEL_HOST_DEMO_DIR)};
    if (qEnvironmentVariableIsSet("VEL_DEMO_DIR"))
        lstRoots << qEnvironmentVariable("VEL_DEMO_DIR");
    QString strError;
    const QString strFile = VelHostConfine::fileInside(m_strPageDir, strPath, lstRoots, &strError);
    if (strFile.isEmpty()) {
        m_pEngine->throwError(QStringLiteral("include %1: %2").arg(strPath, strError));
        return QJSValue();
    }
    const QJSValue result = evaluateFile(strFile);
    if (result.isError()) {
        m_pEngine->throwError(QStringLiteral("include %1: %2").arg(strPath, errorText(result)));
        return QJSValue();
    }
    return result;
}
