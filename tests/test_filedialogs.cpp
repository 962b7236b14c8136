#include "dialogs/clsDialog.h"
#include "output/SaveBoard.h"
#include "platform/messagebox.h"
#include "ui/filedialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using platform::DialogRequest;
using ui::FileDialog;

class TestFileDialogs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QStringList m_questions;
    int m_reply = platform::AnswerNo;

    QString touch(const QString& name) {
        const QString path = m_folder.filePath(name);
        QFile(path).open(QIODevice::WriteOnly);
        return path;
    }

    DialogRequest request(platform::DialogKind kind, uint32_t flags) const {
        DialogRequest request;
        request.kind = kind;
        request.flags = flags;
        request.folder = m_folder.path();
        request.nameFilters = QStringList{"画像ファイル (*.bmp *.png)", "ＰＮＧファイル (*.png)", "JPEG (*.jpg)"};
        request.selectedFilter = 1;
        return request;
    }

private slots:
    void initTestCase() {
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_questions << prompt;
            return m_reply;
        });
    }

    void init() {
        m_questions.clear();
        m_reply = platform::AnswerNo;
    }

    // The caller asks before overwriting, so the dialog takes an existing name without a question.
    void saveTakesAnExistingNameAndTellsTheFilter() {
        const QString existing = touch("old.png");
        FileDialog dialog(request(platform::DialogKind::Save, 8196));
        dialog.selectNameFilter(QStringLiteral("JPEG (*.jpg)"));
        dialog.selectFile(existing);
        dialog.accept();
        const platform::DialogAnswer answer = dialog.answer();
        QVERIFY(answer.accepted);
        QCOMPARE(answer.paths, QStringList{existing});
        QCOMPARE(answer.filterIndex, 3);
        QVERIFY(m_questions.isEmpty());
    }

    // A name typed before the filter is picked comes back as typed; the save command then settles the
    // extension by its own rules, as when the filter is picked first.
    void aTypedNameOutlivesAFilterChange() {
        QVERIFY(QDir(m_folder.path()).mkdir("typed"));
        const QString folder = m_folder.filePath("typed");
        QString shown;
        const platform::DialogHandler before = platform::setFileDialogHandler([&](const DialogRequest& request) {
            DialogRequest inFolder = request;
            inFolder.folder = folder;
            FileDialog dialog(inFolder);
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QTest::keyClicks(name, QStringLiteral("b.png"));
            while (!types->currentText().startsWith(QStringLiteral("ＪＰＥＧファイル")) &&
                   types->currentIndex() + 1 < types->count())
                QTest::keyClick(types, Qt::Key_Down); // as the user picks it
            shown = name->text();
            dialog.accept();
            return dialog.answer();
        });
        m_reply = platform::AnswerYes; // create the new file
        output::SaveBoard(platform::Surface(8, 8), {}, output::SaveOptions(), nullptr, QString(),
                          [](const QString&) {});
        platform::setFileDialogHandler(before);
        QCOMPARE(shown, QStringLiteral("b.png"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"b.png.JPG"});
    }

    void newNameIsConfirmedFirst() {
        const QString fresh = m_folder.filePath("new.bmp");
        for (const int reply : {int(platform::AnswerNo), int(platform::AnswerYes)}) {
            m_reply = reply;
            FileDialog dialog(request(platform::DialogKind::Save, 8196));
            dialog.selectFile(fresh);
            dialog.accept();
            QCOMPARE(dialog.answer().accepted, reply == platform::AnswerYes);
        }
        QCOMPARE(m_questions.size(), 2);
        QVERIFY(m_questions.first().startsWith(fresh));
    }

    void extensionsInAnyCaseAreListed() {
        QVERIFY(QDir(m_folder.path()).mkdir("cases"));
        for (const char* name : {"A.PNG", "b.Png", "c.png", "d.txt"})
            touch(QStringLiteral("cases/") + QLatin1String(name));
        DialogRequest open = request(platform::DialogKind::Open, 4100);
        open.folder = m_folder.filePath("cases");
        FileDialog dialog(open);
        dialog.selectNameFilter(QStringLiteral("ＰＮＧファイル (*.png)"));
        auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        QVERIFY(view);
        const auto listed = [view] {
            QStringList names;
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                names << view->model()->index(row, 0, view->rootIndex()).data().toString();
            names.sort(Qt::CaseInsensitive);
            return names;
        };
        QTRY_COMPARE(listed(), (QStringList{"A.PNG", "b.Png", "c.png"}));
    }

    // The colour dialog starts from the caller's colour only when the caller's flags ask for it.
    void theColourDialogStartsFromTheColourWhenAsked_data() {
        QTest::addColumn<uint>("flags");
        QTest::addColumn<int>("confirmed");
        QTest::newRow("no flags: black") << 0u << 0;
        QTest::newRow("CcRgbInit: the colour") << uint(platform::CcRgbInit) << 0x3366CC;
    }
    void theColourDialogStartsFromTheColourWhenAsked() {
        QFETCH(uint, flags);
        QFETCH(int, confirmed);
        ui::installFileDialogs();
        QTimer::singleShot(0, [] {
            if (auto* shown = qobject_cast<QColorDialog*>(QApplication::activeModalWidget()))
                shown->accept(); // OK at once: the colour it started from
        });
        dialogs::clsDialog dialog;
        dialog.SelectColor = 0x3366CC;
        dialog.ColorFlags = flags;
        const bool chosen = dialog.ColorCode(nullptr);
        platform::setFileDialogHandler({});
        platform::setColorDialogHandler({});
        QVERIFY(chosen);
        QCOMPARE(dialog.SelectColor, confirmed);
    }
};

QTEST_MAIN(TestFileDialogs)
#include "test_filedialogs.moc"
