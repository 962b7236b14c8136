#include "platform/text.h"
#include "dialogs/clsDialog.h"
#include "platform/errors.h"
#include "platform/numbers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using dialogs::clsDialog;
using platform::DialogAnswer;
using platform::DialogRequest;

namespace {

const QChar Nul(0);

DialogAnswer accepted(const QStringList& paths, int filterIndex = 1) {
    DialogAnswer answer;
    answer.accepted = true;
    answer.paths = paths;
    answer.filterIndex = filterIndex;
    return answer;
}

} // namespace

class TestClsDialog : public QObject {
    Q_OBJECT

private:
    QList<DialogRequest> m_requests;
    DialogAnswer m_answer; // what the user answers next

    void answerWith(const DialogAnswer& answer) { m_answer = answer; }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        const auto answerer = [this](const DialogRequest& request) {
            m_requests << request;
            return m_answer;
        };
        platform::setFileDialogHandler(answerer);
        platform::setColorDialogHandler(answerer);
    }

    void init() {
        m_requests.clear();
        m_answer = DialogAnswer();
    }

    void getField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("field");
        QTest::newRow("first") << "a|bc" << 1 << "|"
                               << "a";
        QTest::newRow("n below 1 is the first") << "a|bc" << 0 << "|"
                                                << "a";
        QTest::newRow("last runs to the end") << "a|bc" << 2 << "|"
                                              << "bc";
        QTest::newRow("past the last") << "a|bc" << 3 << "|"
                                       << "";
        QTest::newRow("no separator") << "abc" << 1 << "|"
                                      << "abc";
        QTest::newRow("side by side") << "a||b" << 2 << "|"
                                      << "";
        QTest::newRow("long separator") << "a--b--c" << 3 << "--"
                                        << "c";
        QTest::newRow("NUL-separated") << QStringLiteral("dir") + Nul + "x.bmp" + Nul + Nul << 2 << QString(Nul)
                                       << "x.bmp";
    }

    void getField() {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(QString, separator);
        QFETCH(QString, field);
        QCOMPARE(platform::GetField(text, int16_t(n), separator), field);
    }

    void requestCarriesTheFields() {
        clsDialog dialog;
        dialog.SelectTitle = QStringLiteral("オンの画像");
        dialog.FilterPattern =
            QStringLiteral("画像ファイル") + Nul + "*.bmp; *.png" + Nul + "JPEG" + Nul + "*.jpg" + Nul;
        dialog.SelectFlags = QStringLiteral("4100");
        dialog.DefaultFolder = QStringLiteral("/tmp");
        dialog.OpenFile(this);
        QCOMPARE(m_requests.size(), 1);
        const DialogRequest& request = m_requests.first();
        QCOMPARE(request.kind, platform::DialogKind::Open);
        QCOMPARE(request.title, QStringLiteral("オンの画像"));
        QCOMPARE(request.nameFilters, (QStringList{QStringLiteral("画像ファイル (*.bmp *.png)"), "JPEG (*.jpg)"}));
        QCOMPARE(request.selectedFilter, 1);
        QCOMPARE(request.flags, uint32_t(platform::OfnHideReadOnly | platform::OfnFileMustExist));
        QCOMPARE(request.folder, QStringLiteral("/tmp"));
        QCOMPARE(request.owner, this);
    }

    void flagsThatAreNoNumberRaise13_data() {
        QTest::addColumn<QString>("flags");
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
    }

    void flagsThatAreNoNumberRaise13() {
        QFETCH(QString, flags);
        clsDialog dialog;
        dialog.SelectFlags = flags;
        try {
            dialog.SaveFile(nullptr);
            QFAIL("no error raised");
        } catch (const platform::RuntimeError& error) {
            QCOMPARE(error.number(), int(platform::ErrTypeMismatch));
        }
        QVERIFY(m_requests.isEmpty()); // no dialog was shown
    }

    void cancelledOpenLeavesFilterIndex() {
        clsDialog dialog;
        dialog.SelectFlags = QStringLiteral("0");
        dialog.FilterIndex = 3;
        QCOMPARE(dialog.OpenFile(nullptr), QString());
        QCOMPARE(dialog.FilterIndex, 3);
    }

    void cancelledSaveResetsFilterIndex() {
        clsDialog dialog;
        dialog.SelectFlags = QStringLiteral("8196");
        dialog.FilterIndex = 2;
        QCOMPARE(dialog.SaveFile(nullptr), QString());
        QCOMPARE(dialog.FilterIndex, 0);
    }

    void noAnswererCountsAsCancel() {
        const platform::DialogHandler scripted = platform::setFileDialogHandler({});
        clsDialog dialog;
        dialog.SelectFlags = QStringLiteral("0");
        dialog.FilterIndex = 2;
        const QString chosen = dialog.SaveFile(nullptr);
        platform::setFileDialogHandler(scripted);
        QCOMPARE(chosen, QString());
        QCOMPARE(dialog.FilterIndex, 0);
    }

    void saveReturnsPathAndFilter() {
        clsDialog dialog;
        dialog.SelectFlags = QStringLiteral("8196");
        answerWith(accepted({QStringLiteral("/nowhere/new.jpg")}, 3));
        QCOMPARE(dialog.SaveFile(nullptr), QStringLiteral("/nowhere/new.jpg"));
        QCOMPARE(dialog.FilterIndex, 3);
        QCOMPARE(m_requests.first().kind, platform::DialogKind::Save);
    }

    // The path, its NUL and nothing more must fit 30000 characters.
    void pathLimit() {
        clsDialog dialog;
        dialog.SelectFlags = QStringLiteral("0");
        const QString fits = QLatin1Char('/') + QString(29998, QLatin1Char('a'));
        answerWith(accepted({fits}, 2));
        QCOMPARE(dialog.SaveFile(nullptr), fits);
        answerWith(accepted({fits + QLatin1Char('a')}, 2));
        QCOMPARE(dialog.SaveFile(nullptr), QString());
        QCOMPARE(dialog.FilterIndex, 0);
    }

    void multiSelectionJoinsFullPaths() {
        QTemporaryDir folder;
        for (const char* name : {"a.bmp", "b c.png"})
            QVERIFY(QFile(folder.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        clsDialog dialog;
        dialog.SelectFlags = platform::formatInt(platform::OfnAllowMultiSelect | platform::OfnExplorer);
        answerWith(accepted({folder.filePath("a.bmp"), folder.filePath("b c.png")}));
        QCOMPARE(dialog.OpenFile(nullptr), folder.filePath("a.bmp") + u' ' + folder.filePath("b c.png"));
        answerWith(accepted({folder.filePath("a.bmp")}));
        QCOMPARE(dialog.OpenFile(nullptr), folder.filePath("a.bmp"));
    }

    // Folder, names and their NULs, plus the closing NUL, must fit 30000 characters; the names are
    // not looked up, only the folder.
    void multiSelectionLimit() {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).path();
        const qsizetype nameRoom = 30000 - (path.size() + 1) - 1 - 2; // two names, each with its NUL
        const QString first(nameRoom / 2, QLatin1Char('x'));
        const QString second(nameRoom - first.size(), QLatin1Char('y'));
        clsDialog dialog;
        dialog.SelectFlags = platform::formatInt(platform::OfnAllowMultiSelect | platform::OfnExplorer);
        answerWith(accepted({path + u'/' + first, path + u'/' + second}));
        QCOMPARE(dialog.OpenFile(nullptr), path + u'/' + first + u' ' + path + u'/' + second);
        answerWith(accepted({path + u'/' + first, path + u'/' + second + u'y'}));
        QCOMPARE(dialog.OpenFile(nullptr), QString());
    }

    void openingAMissingFileRaises53() {
        clsDialog dialog;
        dialog.SelectFlags = QStringLiteral("0");
        answerWith(accepted({QStringLiteral("/nowhere/at/all.bmp")}));
        try {
            dialog.OpenFile(nullptr);
            QFAIL("no error raised");
        } catch (const platform::RuntimeError& error) {
            QCOMPARE(error.number(), int(platform::ErrFileNotFound));
        }
    }

    void colorCode() {
        clsDialog dialog;
        dialog.SelectColor = 0x123456;
        QVERIFY(!dialog.ColorCode(this));
        QCOMPARE(dialog.SelectColor, 0x123456);
        QCOMPARE(m_requests.first().kind, platform::DialogKind::Color);
        QCOMPARE(m_requests.first().color, 0x123456);
        QCOMPARE(m_requests.first().flags, 0u); // the dialog does not start from SelectColor
        dialog.ColorFlags = platform::CcRgbInit;
        dialog.ColorCode(this);
        QCOMPARE(m_requests.last().flags, uint32_t(platform::CcRgbInit));

        DialogAnswer chosen;
        chosen.accepted = true;
        chosen.color = 0x0000FF; // red
        answerWith(chosen);
        QVERIFY(dialog.ColorCode(this));
        QCOMPARE(dialog.SelectColor, 0x0000FF);
    }
};

QTEST_GUILESS_MAIN(TestClsDialog)
#include "test_clsdialog.moc"
