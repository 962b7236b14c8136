#include "platform/messagebox.h"
#include "ui/filedialogs.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

    void init() { m_questions.clear(); }

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
};

QTEST_MAIN(TestFileDialogs)
#include "test_filedialogs.moc"
