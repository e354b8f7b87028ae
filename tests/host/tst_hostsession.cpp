#include "coremanagers.h"
#include "hostsession.h"
#include "ipcorefunctions.h"
#include "modalanswerer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestHostSession : public QObject
{
    Q_OBJECT
private slots:
    void openProjectCreatesIt();
    void openProjectReadsEntries();
    void addProjectFiles_data();
    void addProjectFiles();
    void addFailsWhenProjectUnwritable();
    void showErrorMsgs();
    void openEditorReachesSession();
};

void TestHostSession::openProjectCreatesIt()
{
    QTemporaryDir dir;
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QVERIFY(session.openProject(dir.filePath("new.prj")));
    QVERIFY(QFile::exists(dir.filePath("new.prj")));
    QVERIFY(session.projectFiles().isEmpty());
    QString error;
    QVERIFY(!session.openProject(dir.filePath("no/such/folder/p.prj"), &error));
    QVERIFY2(error.contains("no/such/folder/p.prj"), qPrintable(error));
    QCOMPARE(session.projectFile(), dir.filePath("new.prj"));
}

void TestHostSession::openProjectReadsEntries()
{
    QTemporaryDir dir;
    const QString project = dir.filePath("p.prj");
    QFile file(project);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# comment\n\n  /abs/a.v  \nrel/b.v\n# /abs/c.v\n/abs/a.v\n/abs/./d.v");
    file.close();
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QVERIFY(session.openProject(project));
    QCOMPARE(session.projectFiles(),
             QStringList({"/abs/a.v", dir.filePath("rel/b.v"), "/abs/d.v"}));
}

void TestHostSession::addProjectFiles_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("changes");
    QTest::newRow("new") << QStringList{"/out/x.v"} << QStringList{"/abs/a.v", "/out/x.v"} << 1;
    QTest::newRow("already listed") << QStringList{"/abs/a.v"} << QStringList{"/abs/a.v"} << 0;
    QTest::newRow("same path spelled differently")
        << QStringList{"/abs//./a.v"} << QStringList{"/abs/a.v"} << 0;
    QTest::newRow("twice in one call")
        << QStringList{"/out/x.v", "/out/x.v"} << QStringList{"/abs/a.v", "/out/x.v"} << 1;
    QTest::newRow("two") << QStringList{"/out/x.v", "/out/y.vhd"}
                         << QStringList{"/abs/a.v", "/out/x.v", "/out/y.vhd"} << 1;
}

void TestHostSession::addProjectFiles()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    QFETCH(int, changes);
    QTemporaryDir dir;
    const QString project = dir.filePath("p.prj");
    QFile file(project);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# keep me\n/abs/a.v"); // no final newline
    file.close();
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QVERIFY(session.openProject(project));
    QSignalSpy changed(&session, &IPGen::HostSession::projectChanged);
    QVERIFY(session.addProjectFiles(added));
    QCOMPARE(changed.size(), changes);
    QCOMPARE(session.projectFiles(), expected);
    QVERIFY(readFile(project).startsWith("# keep me\n/abs/a.v"));
    // What was written reads back the same.
    QVERIFY(session.openProject(project));
    QCOMPARE(session.projectFiles(), expected);
}

void TestHostSession::addFailsWhenProjectUnwritable()
{
    QTemporaryDir dir;
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QVERIFY(session.openProject(dir.filePath("p.prj")));
    const QString path = dir.filePath("p.prj");
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path)); // the project file can no longer be written
    QString error;
    QVERIFY(!session.addProjectFiles({"/out/x.v"}, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY(session.projectFiles().isEmpty());
    ModalAnswerer answerer;
    IPCore::addFilesToProject({"/out/x.v"});
    QCOMPARE(answerer.titles, QStringList{"Error"});
}

void TestHostSession::showErrorMsgs()
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QSignalSpy reported(&session, &IPGen::HostSession::errorsReported);
    ModalAnswerer answerer;
    IPCore::showErrorMsgs("Synthesis failed: x", {"ERROR: one", "ERROR: two"});
    QCOMPARE(answerer.titles, QStringList{"Error"});
    QCOMPARE(answerer.texts, QStringList{"Synthesis failed: x"});
    QCOMPARE(answerer.details, QStringList{"ERROR: one\nERROR: two"});
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported.first().at(1).toStringList(), QStringList({"ERROR: one", "ERROR: two"}));
}

void TestHostSession::openEditorReachesSession()
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QSignalSpy editor(&session, &IPGen::HostSession::editorRequested);
    Core::EditorManager::openEditor("/out/x.v", false);
    QCOMPARE(editor.size(), 1);
    QCOMPARE(editor.first().at(0).toString(), QString("/out/x.v"));
    QWidget parent;
    session.setDialogParent(&parent);
    QCOMPARE(Core::ViewManager::dialogParent(), &parent);
    session.setDialogParent(nullptr);
}

QTEST_MAIN(TestHostSession)
#include "tst_hostsession.moc"
