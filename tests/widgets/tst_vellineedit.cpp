#include "vellineedit.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest>

namespace
{

// One step of a scripted edit.
enum class Op { Type, Select, Paste, Backspace, End, Home, Right };

struct Step {
    Op op;
    QString strArg;
    int nStart = 0;
    int nLength = 0;
};

Step type(const QString& s)
{
    return {Op::Type, s};
}
Step paste(const QString& s)
{
    return {Op::Paste, s};
}
Step select(int nStart, int nLength)
{
    return {Op::Select, QString(), nStart, nLength};
}
Step key(Op op)
{
    return {op, QString()};
}

void run(VelLineEdit& edit, const QVector<Step>& steps)
{
    for (const Step& step : steps) {
        switch (step.op) {
        case Op::Type:
            QTest::keyClicks(&edit, step.strArg);
            break;
        case Op::Select:
            edit.setSelection(step.nStart, step.nLength);
            break;
        case Op::Paste:
            QApplication::clipboard()->setText(step.strArg);
            edit.paste();
            break;
        case Op::Backspace:
            QTest::keyClick(&edit, Qt::Key_Backspace);
            break;
        case Op::End:
            QTest::keyClick(&edit, Qt::Key_End);
            break;
        case Op::Home:
            QTest::keyClick(&edit, Qt::Key_Home);
            break;
        case Op::Right:
            QTest::keyClick(&edit, Qt::Key_Right);
            break;
        }
    }
}

} // namespace

Q_DECLARE_METATYPE(QVector<Step>)

class TstVelLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void limit_data();
    void limit();
};

void TstVelLineEdit::limit_data()
{
    QTest::addColumn<int>("nLimit");
    QTest::addColumn<QVector<Step>>("steps");
    QTest::addColumn<QString>("strResult");

    QTest::newRow("typing past the limit keeps the text at the limit")
        << 4 << QVector<Step>{type("abcd"), type("e")} << "abcd";
    QTest::newRow("pasting over a selection cuts to the limit")
        << 4 << QVector<Step>{type("abcd"), select(1, 2), paste("XYZ")} << "aXYZ";
    QTest::newRow("pasting without a selection restores the last text at the limit")
        << 4 << QVector<Step>{type("abcd"), key(Op::Backspace), key(Op::Backspace), paste("xyz")}
        << "abcd";
    QTest::newRow("six characters pasted into an empty edit leave it empty")
        << 4 << QVector<Step>{paste("uvwxyz")} << "";
    QTest::newRow("texts below the limit are left alone")
        << 4 << QVector<Step>{type("ab"), paste("c")} << "abc";
    // The selection stays remembered after it was cleared, until a cut uses it.
    QTest::newRow("an earlier selection still cuts instead of restoring")
        << 4 << QVector<Step>{type("abcd"),  select(1, 2),   key(Op::End),
                              key(Op::Home), key(Op::Right), type("X")}
        << "aXbc";
    QTest::newRow("a used selection is forgotten")
        << 4 << QVector<Step>{type("abcd"), select(1, 2), paste("XYZ"), key(Op::End), type("Q")}
        << "aXYZ";
    QTest::newRow("Chinese characters count one each")
        << 4 << QVector<Step>{paste("课程信息"), type("x")} << "课程信息";
    // U+1F600 is two UTF-16 units; a cut must not keep half of it.
    QTest::newRow("a cut never splits a surrogate pair")
        << 4
        << QVector<Step>{type("abcd"), select(3, 1), paste(QString::fromUtf8("\xF0\x9F\x98\x80!"))}
        << "abc";
}

void TstVelLineEdit::limit()
{
    QFETCH(int, nLimit);
    QFETCH(QVector<Step>, steps);
    QFETCH(QString, strResult);

    VelLineEdit edit(nullptr, nLimit);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    run(edit, steps);
    QCOMPARE(edit.text(), strResult);
    QVERIFY(edit.text().length() <= nLimit);
}

QTEST_MAIN(TstVelLineEdit)
#include "tst_vellineedit.moc"
