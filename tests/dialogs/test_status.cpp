// The status window: docking, undocking by a drag, stay-on-top, hide on close, log and buttons.
#include "dialogtest.h"

#include "windows/udprform.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QPointer>
#include <QRegularExpression>

class TestStatus : public QObject
{
    Q_OBJECT

private slots:
    void dockedPosition_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("status");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("plain") << QRect(100, 50, 755, 470) << QSize(300, 200) << 20 << QPoint(551, 293);
        QTest::newRow("origin") << QRect(0, 0, 800, 600) << QSize(200, 100) << 0 << QPoint(596, 493);
        QTest::newRow("negative") << QRect(-50, -20, 400, 300) << QSize(360, 220) << 19 << QPoint(-14, 34);
    }

    void dockedPosition()
    {
        QFETCH(QRect, main);
        QFETCH(QSize, status);
        QFETCH(int, bar);
        QFETCH(QPoint, expected);
        QCOMPARE(DockedStatusPosition(main, status, bar), expected);
    }

    // The first three moves never undock; later ones do only for the active
    // window, not while it docks itself and not to the place docking chose.
    void moveRule()
    {
        TDockMoveState s;
        QCOMPARE(int(s.DockMove), 1);
        QCOMPARE(int(s.Counter), 0);
        const QPoint p(10, 10);
        QVERIFY(!s.OnMove(true, p));
        QVERIFY(!s.OnMove(true, p));
        QVERIFY(!s.OnMove(true, p));
        QCOMPARE(int(s.Counter), 3);
        QVERIFY(!s.OnMove(false, p));
        s.DockMove = 0;
        QVERIFY(!s.OnMove(true, p));
        s.DockMove = 1;
        s.Docked(QPoint(5, 6));
        QVERIFY(!s.OnMove(true, QPoint(5, 6)));
        QVERIFY(s.OnMove(true, p));
        QCOMPARE(int(s.Counter), 3);
    }

    // Moving the main window moves a docked status window along.
    void followsMainWindow()
    {
        QWidget main;
        main.setGeometry(100, 100, 755, 470);
        main.show();
        TUDPRForm1 status;
        status.SetDockTarget(&main, 22);
        QVERIFY(status.CheckBox1->isChecked());
        QVERIFY(status.PlaceStatusWindow());
        status.show();
        QTRY_COMPARE(status.frameGeometry().topLeft(),
                     DockedStatusPosition(main.frameGeometry(), status.frameGeometry().size(), 22));

        for (const QPoint &to : {QPoint(300, 200), QPoint(10, 20), QPoint(640, 5)}) {
            main.move(to);
            QVERIFY(PlaceStatusWindow(&status, &main, 22));
            QTRY_COMPARE(status.frameGeometry().topLeft(),
                     DockedStatusPosition(main.frameGeometry(), status.frameGeometry().size(), 22));
            QVERIFY(status.CheckBox1->isChecked());
        }

        // Unchecked Dock: the window stays where it is.
        status.CheckBox1->setChecked(false);
        const QPoint kept = status.pos();
        main.move(50, 50);
        QVERIFY(!PlaceStatusWindow(&status, &main, 22));
        QCOMPARE(status.pos(), kept);
        QVERIFY(!PlaceStatusWindow(nullptr, &main, 22));
    }

    // A drag of the active, docked window by the user unchecks Dock.
    void userDragUndocks()
    {
        QWidget main;
        main.setGeometry(100, 100, 755, 470);
        main.show();
        TUDPRForm1 status;
        status.SetDockTarget(&main, 22);
        status.show();
        status.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&status));
        // Docking again (the Dock box, the main window moving) keeps it docked.
        for (const QPoint &to : {QPoint(150, 120), QPoint(90, 60), QPoint(20, 30), QPoint(200, 10)}) {
            main.move(to);
            status.CheckBox1Click();
            QCoreApplication::processEvents();
            QVERIFY(status.CheckBox1->isChecked());
        }
        QCOMPARE(int(status.DockState().Counter), 3);
        // Now the user drags it away.
        status.move(status.pos() + QPoint(-40, -30));
        QTRY_VERIFY(!status.CheckBox1->isChecked());
    }

    void closeOnlyHides()
    {
        TUDPRForm1 status;
        QPointer<TUDPRForm1> alive(&status);
        status.AppendLine(QStringLiteral("FTP STATUS 220  - ready"));
        status.StatusWindowClick();
        QVERIFY(status.isVisible());
        QVERIFY(status.close());
        QVERIFY(alive);
        QVERIFY(status.isHidden());
        status.StatusWindowClick();
        QVERIFY(status.isVisible());
        QCOMPARE(status.M->toPlainText(), QStringLiteral("FTP STATUS 220  - ready"));
    }

    void stayOnTop()
    {
        TUDPRForm1 status;
        status.show();
        QVERIFY(status.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(status.windowFlags() & Qt::Tool);
        status.CheckBox2->setChecked(false);
        status.CheckBox2Click();
        QVERIFY(!(status.windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(status.isVisible());
        status.CheckBox2->setChecked(true);
        status.CheckBox2Click();
        QVERIFY(status.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(status.isVisible());
    }

    void buttons()
    {
        TUDPRForm1 status;
        QVERIFY(status.Panel2->isHidden());
        QCOMPARE(status.Button4->text(), QStringLiteral("PRECHOD DO CFG"));
        QCOMPARE(status.Button1->text(), QStringLiteral("CFG OFF"));
        QVERIFY(status.CheckBox1->isChecked());
        QVERIFY(!status.CheckBox2->isChecked());
        QVERIFY(!status.LogFace()->Enabled);
        QVERIFY(status.M->toPlainText().isEmpty());

        status.Panel2->show();
        status.show();
        SaveShot(status, QStringLiteral("status"));
        QSignalSpy net(&status, &TUDPRForm1::SendNetCommand);
        QSignalSpy read(&status, &TUDPRForm1::ReadConfigByNet);
        QSignalSpy write(&status, &TUDPRForm1::WriteConfigByNet);
        QTest::mouseClick(status.Button4, Qt::LeftButton);
        QTest::mouseClick(status.Button1, Qt::LeftButton);
        QTest::mouseClick(status.Button7, Qt::LeftButton);
        QTest::mouseClick(status.Button8, Qt::LeftButton);
        QCOMPARE(net.count(), 2);
        QCOMPARE(net.at(0), (QVariantList{3, QStringLiteral("SetMod ")}));
        QCOMPARE(net.at(1), (QVariantList{5, QStringLiteral("SetMod ")}));
        QCOMPARE(read.count(), 1);
        QCOMPARE(write.count(), 1);
    }

    // The log keeps a caret the user placed inside it; at the end it follows.
    void logKeepsCaret()
    {
        TUDPRForm1 status;
        status.AppendLine(QStringLiteral("first"));
        status.AppendLine(QStringLiteral("second"));
        QTextCursor c = status.M->textCursor();
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        status.M->setTextCursor(c);
        status.AppendLine(QStringLiteral("third"));
        QCOMPARE(status.M->textCursor().selectionStart(), 1);
        QCOMPARE(status.M->textCursor().selectionEnd(), 3);
        QCOMPARE(status.M->toPlainText(), QStringLiteral("first\nsecond\nthird"));

        status.M->moveCursor(QTextCursor::End);
        status.AppendLine(QStringLiteral("fourth"));
        QCOMPARE(status.M->textCursor().position(), status.M->toPlainText().size());
        status.ClearLog();
        QVERIFY(status.M->toPlainText().isEmpty());
    }

    void logFace()
    {
        TUDPRForm1::TPrFace face;
        QVERIFY(face.Print(false, QStringLiteral("x")).isEmpty());
        const QString line = face.Print(true, QStringLiteral("x"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4} / \\d\\d /\\d\\d \\d\\d:\\d\\d:\\d\\d - x$")).match(line).hasMatch(),
                 qPrintable(line));
    }
};

QTEST_MAIN(TestStatus)
#include "test_status.moc"
