// vel-doc-members: the member lists of the page authors' guide, from the
// libraries' DumpIDL. Without a document it prints the lists; with --write it
// puts them between each document's markers; with --check it fails when a
// document's lists differ from DumpIDL, a control has no lists anywhere, or a
// member has no section of its own.
#include "veldocmembers.h"
#include "velhostlibrary.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

void err(const QString& strText)
{
    std::fprintf(stderr, "vel-doc-members: %s\n", strText.toUtf8().constData());
}

bool readFile(const QString& strPath, QString* pText)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *pText = QString::fromUtf8(file.readAll());
    return true;
}

bool describe(const QString& strLibrary, const QString& strOutFile,
              QList<VelDocMembers::Control>* pControls)
{
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(strLibrary, &strError);
    if (!pLibrary) {
        err(strError);
        return false;
    }
    const VelAxResult nResult = pLibrary->dumpIdl(strOutFile, QString());
    QString strIdl;
    if (nResult != VEL_S_OK || !readFile(strOutFile, &strIdl)) {
        err(QStringLiteral("DumpIDL of %1 failed (%2)")
                .arg(strLibrary, VelHostLibrary::resultText(nResult)));
        return false;
    }
    const QList<VelDocMembers::Control> controls = VelDocMembers::parseIdl(strIdl, &strError);
    if (controls.isEmpty()) {
        err(QStringLiteral("%1: %2").arg(strLibrary, strError));
        return false;
    }
    *pControls += controls;
    return true;
}

// The lines that differ, with the same lines around them cut away.
void printDifference(const QString& strOld, const QString& strNew)
{
    const QStringList oldLines = strOld.split(QLatin1Char('\n'));
    const QStringList newLines = strNew.split(QLatin1Char('\n'));
    int nHead = 0;
    while (nHead < oldLines.size() && nHead < newLines.size() &&
           oldLines.at(nHead) == newLines.at(nHead))
        ++nHead;
    int nTail = 0;
    while (nTail < oldLines.size() - nHead && nTail < newLines.size() - nHead &&
           oldLines.at(oldLines.size() - 1 - nTail) == newLines.at(newLines.size() - 1 - nTail))
        ++nTail;
    std::fprintf(stderr, "@@ line %d\n", nHead + 1);
    for (int i = nHead; i < oldLines.size() - nTail; ++i)
        std::fprintf(stderr, "-%s\n", oldLines.at(i).toUtf8().constData());
    for (int i = nHead; i < newLines.size() - nTail; ++i)
        std::fprintf(stderr, "+%s\n", newLines.at(i).toUtf8().constData());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The member lists of the page authors' guide, from DumpIDL."));
    parser.addHelpOption();
    const QCommandLineOption libraryOption(QStringLiteral("library"),
                                           QStringLiteral("A control library (repeatable)."),
                                           QStringLiteral("LIB"));
    const QCommandLineOption writeOption(QStringLiteral("write"),
                                         QStringLiteral("Rewrite the lists in the documents."));
    const QCommandLineOption checkOption(
        QStringLiteral("check"), QStringLiteral("Fail when a document's lists are not current."));
    const QCommandLineOption hintOption(QStringLiteral("regenerate"),
                                        QStringLiteral("The command to print when --check fails."),
                                        QStringLiteral("COMMAND"));
    parser.addOptions({libraryOption, writeOption, checkOption, hintOption});
    parser.addPositionalArgument(QStringLiteral("doc"), QStringLiteral("Markdown documents."),
                                 QStringLiteral("[doc.md...]"));
    parser.process(app);

    QTemporaryDir workDir;
    if (!workDir.isValid()) {
        err(QStringLiteral("no temporary directory"));
        return 1;
    }
    QList<VelDocMembers::Control> controls;
    const QStringList libraries = parser.values(libraryOption);
    for (int i = 0; i < libraries.size(); ++i) {
        if (!describe(libraries.at(i), workDir.filePath(QStringLiteral("%1.idl").arg(i)),
                      &controls))
            return 1;
    }
    QMap<QString, QString> blocks;
    for (const VelDocMembers::Control& control : controls)
        blocks.insert(control.strClassName, VelDocMembers::markdown(control));

    const QStringList docs = parser.positionalArguments();
    if (docs.isEmpty()) {
        for (const VelDocMembers::Control& control : controls)
            std::printf("%s\n\n%s\n%s\n\n",
                        VelDocMembers::beginMarker(control.strClassName).toUtf8().constData(),
                        blocks.value(control.strClassName).toUtf8().constData(),
                        VelDocMembers::endMarker().toUtf8().constData());
        return 0;
    }

    const bool isCheck = parser.isSet(checkOption);
    QStringList problems;
    QStringList marked;
    for (const QString& strDoc : docs) {
        QString strText;
        if (!readFile(strDoc, &strText)) {
            problems << QStringLiteral("%1: cannot be read").arg(strDoc);
            continue;
        }
        QStringList docProblems;
        const QString strNew = VelDocMembers::splice(strText, blocks, &docProblems);
        for (const QString& strClass : VelDocMembers::markedClasses(strText)) {
            marked << strClass;
            for (const VelDocMembers::Control& control : controls) {
                if (control.strClassName != strClass)
                    continue;
                for (const QString& strName : VelDocMembers::undocumented(strText, control))
                    docProblems << QStringLiteral("%1 has no section (a heading naming `%2`)")
                                       .arg(strClass, strName);
            }
        }
        for (const QString& strProblem : docProblems)
            problems << strDoc + QLatin1String(": ") + strProblem;
        if (strNew == strText)
            continue;
        if (isCheck) {
            problems << QStringLiteral("%1: the member lists differ from DumpIDL").arg(strDoc);
            printDifference(strText, strNew);
            continue;
        }
        if (parser.isSet(writeOption)) {
            QFile file(strDoc);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(strNew.toUtf8()) < 0) {
                problems << QStringLiteral("%1: cannot be written").arg(strDoc);
                continue;
            }
            std::printf("vel-doc-members: updated %s\n", qPrintable(strDoc));
        }
    }
    for (const VelDocMembers::Control& control : controls) {
        if (!marked.contains(control.strClassName))
            problems << QStringLiteral("%1 (%2): no document holds its member lists")
                            .arg(control.strClassName, control.strLibrary);
    }
    for (const QString& strProblem : problems)
        err(strProblem);
    if (!problems.isEmpty() && isCheck && parser.isSet(hintOption))
        err(QStringLiteral("regenerate the lists with: %1").arg(parser.value(hintOption)));
    return problems.isEmpty() ? 0 : 1;
}
