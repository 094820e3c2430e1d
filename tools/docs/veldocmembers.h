#ifndef VELDOCMEMBERS_H
#define VELDOCMEMBERS_H

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The member lists of the page authors' guide, read from a library's interface
// description (what DumpIDL writes) and spliced into the guide between
// "<!-- members:begin CLASS -->" and "<!-- members:end -->". The guide's own
// text around the markers is written by hand.
class VelDocMembers
{
public:
    struct Parameter {
        QString strType; // the IDL type, or the Qt type when it has none
        QString strName;
    };

    struct Member {
        int nId = 0;
        QString strName;
        QString strType; // property type, or the return type of a method or event
        QList<Parameter> parameters;
        // Empty when a page can use the member; else the type that keeps it out.
        QString strUnsupportedType;
        bool isWritable = false;
        bool isDefault = false;
    };

    struct Control {
        QString strLibrary;
        QString strClassName;
        QString strClassId;
        QList<Member> properties;
        QList<Member> methods;
        QList<Member> events;
    };

    // The coclasses of an interface description with the members of their
    // default and source interfaces; empty with *pError on text that is not one.
    static QList<Control> parseIdl(const QString& strIdl, QString* pError);

    // The Markdown a control's markers enclose (without the markers).
    static QString markdown(const Control& control);

    // What a page passes or receives for an IDL type ("string", "boolean", ...).
    static QString pageType(const QString& strIdlType);

    static QString beginMarker(const QString& strClassName);
    static QString endMarker();

    // The class names whose markers a document holds, in order.
    static QStringList markedClasses(const QString& strDoc);

    // The document with the text between each class's markers replaced by
    // blocks[class]. Problems (unbalanced markers, a class without a block)
    // are appended to *pProblems; the text of such a class is kept as it was.
    static QString splice(const QString& strDoc, const QMap<QString, QString>& blocks,
                          QStringList* pProblems);

    // The members of control that the hand-written part of strDoc has no heading
    // for (a line starting with '#' that names the member in backquotes).
    static QStringList undocumented(const QString& strDoc, const Control& control);
};

#endif // VELDOCMEMBERS_H
