#include "veldocmembers.h"

#include <QHash>
#include <QRegularExpression>

namespace
{

struct Interface {
    QList<VelDocMembers::Member> properties;
    QList<VelDocMembers::Member> methods;
};

// "int a, SAFEARRAY(BSTR) b, QMap<QString,QString> c": commas inside <> or ()
// belong to a type.
QList<VelDocMembers::Parameter> parseParameters(const QString& strList)
{
    QList<VelDocMembers::Parameter> parameters;
    QStringList parts;
    int nDepth = 0;
    QString strPart;
    for (const QChar c : strList) {
        if (c == QLatin1Char('<') || c == QLatin1Char('('))
            ++nDepth;
        else if (c == QLatin1Char('>') || c == QLatin1Char(')'))
            --nDepth;
        if (c == QLatin1Char(',') && nDepth == 0) {
            parts << strPart;
            strPart.clear();
            continue;
        }
        strPart += c;
    }
    if (!strPart.trimmed().isEmpty())
        parts << strPart;
    for (const QString& strRaw : parts) {
        const QString strParam = strRaw.trimmed();
        const int nSpace = strParam.lastIndexOf(QLatin1Char(' '));
        VelDocMembers::Parameter parameter;
        parameter.strType = nSpace < 0 ? strParam : strParam.left(nSpace);
        parameter.strName = nSpace < 0 ? QString() : strParam.mid(nSpace + 1);
        parameters << parameter;
    }
    return parameters;
}

QString code(const QString& strText)
{
    return QLatin1Char('`') + strText + QLatin1Char('`');
}

// GitHub's anchor of a heading "### `name`".
QString anchor(const QString& strName)
{
    return QStringLiteral("[%1](#%2)").arg(code(strName), strName.toLower());
}

QString signature(const VelDocMembers::Member& member)
{
    QStringList params;
    for (const VelDocMembers::Parameter& parameter : member.parameters)
        params << (parameter.strType + QLatin1Char(' ') + parameter.strName).trimmed();
    return code(QStringLiteral("%1 %2(%3)")
                    .arg(member.strType, member.strName, params.join(QLatin1String(", "))));
}

QString pageTypes(const VelDocMembers::Member& member)
{
    QStringList types;
    for (const VelDocMembers::Parameter& parameter : member.parameters)
        types << parameter.strName + QLatin1String(": ") +
                     VelDocMembers::pageType(parameter.strType);
    return types.join(QLatin1String(", "));
}

QString unsupported(const VelDocMembers::Member& member)
{
    return QStringLiteral("not for pages: %1 has no IDL type").arg(code(member.strUnsupportedType));
}

} // namespace

QString VelDocMembers::pageType(const QString& strIdlType)
{
    static const QHash<QString, QString> kTypes = {
        {"BSTR", "string"},
        {"int", "integer"},
        {"unsigned int", "integer ≥ 0"},
        {"short", "integer"},
        {"unsigned short", "integer ≥ 0"},
        {"hyper", "integer"},
        {"unsigned hyper", "integer ≥ 0"},
        {"double", "number"},
        {"float", "number"},
        {"VARIANT_BOOL", "boolean"},
        {"VARIANT", "any value"},
        {"SAFEARRAY(BSTR)", "array of strings"},
        {"SAFEARRAY(VARIANT)", "array"},
        {"SAFEARRAY(BYTE)", "ArrayBuffer"},
        {"DATE", "Date"},
        {"OLE_COLOR", "colour string"},
        {"void", "nothing"},
    };
    return kTypes.value(strIdlType, strIdlType);
}

QList<VelDocMembers::Control> VelDocMembers::parseIdl(const QString& strIdl, QString* pError)
{
    static const QRegularExpression kUuid(QStringLiteral("^uuid\\(([0-9A-Fa-f-]+)\\),?$"));
    static const QRegularExpression kLibrary(QStringLiteral("^library (\\w+)Lib$"));
    static const QRegularExpression kInterface(QStringLiteral("^dispinterface (\\w+)$"));
    static const QRegularExpression kCoclass(QStringLiteral("^coclass (\\w+)$"));
    static const QRegularExpression kUses(
        QStringLiteral("^\\[(default|default, source)\\] dispinterface (\\w+);$"));
    static const QRegularExpression kUnsupported(
        QStringLiteral("^/\\*{6} .*uses unsupported datatype (.+)$"));
    static const QRegularExpression kProperty(
        QStringLiteral("^\\[([^\\]]*)\\]\\s+(.+?)\\s+(\\w+);(.*)$"));
    static const QRegularExpression kMethod(
        QStringLiteral("^\\[id\\((\\d+)\\)\\]\\s+(.+?)\\s+(\\w+)\\((.*)\\);$"));
    static const QRegularExpression kId(QStringLiteral("id\\((\\d+)\\)"));

    QString strLibrary, strUuid, strUnsupported, strSection;
    QString strInterface, strCoclass;
    QMap<QString, Interface> interfaces;
    QList<Control> controls;
    const QStringList lines = strIdl.split(QLatin1Char('\n'));
    for (const QString& strRaw : lines) {
        const QString strLine = strRaw.trimmed();
        QRegularExpressionMatch match;
        if ((match = kUuid.match(strLine)).hasMatch()) {
            strUuid = match.captured(1).toUpper();
        } else if ((match = kLibrary.match(strLine)).hasMatch()) {
            strLibrary = match.captured(1);
        } else if ((match = kInterface.match(strLine)).hasMatch()) {
            strInterface = match.captured(1);
            interfaces.insert(strInterface, Interface());
            strSection.clear();
        } else if ((match = kCoclass.match(strLine)).hasMatch()) {
            strCoclass = match.captured(1);
            Control control;
            control.strLibrary = strLibrary;
            control.strClassName = strCoclass;
            control.strClassId = QStringLiteral("{%1}").arg(strUuid);
            controls << control;
        } else if (strLine == QLatin1String("};")) {
            strInterface.clear();
            strCoclass.clear();
        } else if (!strCoclass.isEmpty() && (match = kUses.match(strLine)).hasMatch()) {
            const Interface iface = interfaces.value(match.captured(2));
            if (match.captured(1) == QLatin1String("default")) {
                controls.last().properties = iface.properties;
                controls.last().methods = iface.methods;
            } else {
                controls.last().events = iface.methods;
            }
        } else if (strInterface.isEmpty()) {
            continue;
        } else if (strLine == QLatin1String("properties:") ||
                   strLine == QLatin1String("methods:")) {
            strSection = strLine;
        } else if ((match = kUnsupported.match(strLine)).hasMatch()) {
            strUnsupported = match.captured(1);
        } else if (strSection == QLatin1String("methods:") &&
                   (match = kMethod.match(strLine)).hasMatch()) {
            Member member;
            member.nId = match.captured(1).toInt();
            member.strType = match.captured(2);
            member.strName = match.captured(3);
            member.parameters = parseParameters(match.captured(4));
            member.strUnsupportedType = strUnsupported;
            strUnsupported.clear();
            interfaces[strInterface].methods << member;
        } else if (strSection == QLatin1String("properties:") &&
                   (match = kProperty.match(strLine)).hasMatch()) {
            const QString strAttributes = match.captured(1);
            Member member;
            member.nId = kId.match(strAttributes).captured(1).toInt();
            member.strType = match.captured(2);
            member.strName = match.captured(3);
            member.isWritable = strAttributes.contains(QLatin1String("bindable")) &&
                                !strAttributes.contains(QLatin1String("readonly"));
            member.isDefault = match.captured(4).contains(QLatin1String("default property"));
            member.strUnsupportedType = strUnsupported;
            strUnsupported.clear();
            interfaces[strInterface].properties << member;
        }
    }
    if (controls.isEmpty() && pError)
        *pError = QStringLiteral("no coclass in the interface description");
    return controls;
}

QString VelDocMembers::markdown(const Control& control)
{
    QString strText;
    strText += QStringLiteral("Class id %1, library %2 (generated from its interface "
                              "description; do not edit between the markers).\n\n")
                   .arg(code(control.strClassId), code(control.strLibrary));

    strText += QStringLiteral("**Properties**\n\n");
    if (control.properties.isEmpty()) {
        strText += QStringLiteral("None.\n\n");
    } else {
        strText += QStringLiteral("| Id | Property | IDL type | A page sees | Access |\n"
                                  "|---|---|---|---|---|\n");
        for (const Member& member : control.properties) {
            QString strAccess = member.isWritable ? QStringLiteral("read and write (bindable)")
                                                  : QStringLiteral("read only");
            if (member.isDefault)
                strAccess += QStringLiteral("; default property");
            const QString strPage = member.strUnsupportedType.isEmpty() ? pageType(member.strType)
                                                                        : unsupported(member);
            strText += QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n")
                           .arg(member.nId)
                           .arg(anchor(member.strName), code(member.strType), strPage, strAccess);
        }
        strText += QLatin1Char('\n');
    }

    strText += QStringLiteral("**Methods** (public slots)\n\n");
    if (control.methods.isEmpty()) {
        strText += QStringLiteral("None.\n\n");
    } else {
        strText += QStringLiteral("| Id | Method | IDL signature | A page passes |\n"
                                  "|---|---|---|---|\n");
        for (const Member& member : control.methods) {
            const QString strPage =
                member.strUnsupportedType.isEmpty()
                    ? (member.parameters.isEmpty() ? QStringLiteral("nothing") : pageTypes(member))
                    : unsupported(member);
            strText += QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                           .arg(member.nId)
                           .arg(anchor(member.strName), signature(member), strPage);
        }
        strText += QLatin1Char('\n');
    }

    strText += QStringLiteral("**Events** (signals)\n\n");
    if (control.events.isEmpty()) {
        strText += QStringLiteral("None.\n\n");
    } else {
        strText += QStringLiteral("| Id | Event | IDL signature | A listener receives |\n"
                                  "|---|---|---|---|\n");
        for (const Member& member : control.events) {
            const QString strPage =
                member.strUnsupportedType.isEmpty()
                    ? (member.parameters.isEmpty() ? QStringLiteral("nothing") : pageTypes(member))
                    : unsupported(member);
            strText += QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                           .arg(member.nId)
                           .arg(anchor(member.strName), signature(member), strPage);
        }
        strText += QLatin1Char('\n');
    }
    return strText;
}

QString VelDocMembers::beginMarker(const QString& strClassName)
{
    return QStringLiteral("<!-- members:begin %1 -->").arg(strClassName);
}

QString VelDocMembers::endMarker()
{
    return QStringLiteral("<!-- members:end -->");
}

QStringList VelDocMembers::markedClasses(const QString& strDoc)
{
    static const QRegularExpression kBegin(QStringLiteral("^<!-- members:begin (\\w+) -->$"),
                                           QRegularExpression::MultilineOption);
    QStringList classes;
    auto it = kBegin.globalMatch(strDoc);
    while (it.hasNext())
        classes << it.next().captured(1);
    return classes;
}

QString VelDocMembers::splice(const QString& strDoc, const QMap<QString, QString>& blocks,
                              QStringList* pProblems)
{
    const QString strEnd = endMarker();
    const QStringList lines = strDoc.split(QLatin1Char('\n'));
    QStringList out;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& strLine = lines.at(i);
        if (strLine == strEnd) {
            pProblems->append(QStringLiteral("an end marker without its begin marker"));
            out << strLine;
            continue;
        }
        const QStringList begun = markedClasses(strLine);
        if (begun.isEmpty()) {
            out << strLine;
            continue;
        }
        const QString strClass = begun.first();
        int nEnd = i + 1;
        while (nEnd < lines.size() && lines.at(nEnd) != strEnd &&
               markedClasses(lines.at(nEnd)).isEmpty())
            ++nEnd;
        // Without its end marker nothing is replaced: the rest of the page
        // would go with the old list.
        if (nEnd == lines.size() || lines.at(nEnd) != strEnd) {
            pProblems->append(QStringLiteral("the members of %1 have no end marker").arg(strClass));
            out << strLine;
            continue;
        }
        if (!blocks.contains(strClass)) {
            pProblems->append(
                QStringLiteral("%1: no interface description names this class").arg(strClass));
            for (; i <= nEnd; ++i)
                out << lines.at(i);
            --i;
            continue;
        }
        QString strBlock = blocks.value(strClass);
        while (strBlock.endsWith(QLatin1Char('\n')))
            strBlock.chop(1);
        out << strLine << QString() << strBlock << QString() << strEnd;
        i = nEnd;
    }
    return out.join(QLatin1Char('\n'));
}

QStringList VelDocMembers::undocumented(const QString& strDoc, const Control& control)
{
    // Only the hand-written text counts: the generated tables name every member.
    QString strHandWritten;
    bool isInBlock = false;
    for (const QString& strLine : strDoc.split(QLatin1Char('\n'))) {
        if (!markedClasses(strLine).isEmpty())
            isInBlock = true;
        else if (strLine == endMarker())
            isInBlock = false;
        else if (!isInBlock && strLine.startsWith(QLatin1Char('#')))
            strHandWritten += strLine + QLatin1Char('\n');
    }
    QStringList missing;
    for (const QList<Member>* pList : {&control.properties, &control.methods, &control.events}) {
        for (const Member& member : *pList) {
            const QString strQuoted = QLatin1Char('`') + member.strName;
            if (!strHandWritten.contains(strQuoted + QLatin1Char('`')) &&
                !strHandWritten.contains(strQuoted + QLatin1Char('(')))
                missing << member.strName;
        }
    }
    return missing;
}
