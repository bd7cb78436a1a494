// The new-console dialog: screen limits, the choices and the configuration it builds.
#include "dialogtest.h"

#include "windows/novypult.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(TScreenChoice)

namespace
{

QRadioButton *Item(TNovyPult &d, int console, int index)
{
    return d.findChild<QRadioButton *>(QStringLiteral("RadioGroup%1Item%2").arg(console + 1).arg(index));
}

// Clicks a button of the running dialog and returns what exec gave.
int RunAndClick(TNovyPult &d, QPushButton *b)
{
    QTimer::singleShot(0, b, [b] { QTest::mouseClick(b, Qt::LeftButton); });
    return d.exec();
}

} // namespace

class TestNovyPult : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(LoadProgramLanguage()); }

    void screenLimit_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("pc");
        QTest::addColumn<int>("mech");
        QTest::addColumn<int>("limit");
        QTest::newRow("not connected") << 0 << 80 << 112 << 1;
        QTest::newRow("pc 80") << 1 << 80 << 112 << 3;
        QTest::newRow("mech 112") << 2 << 80 << 112 << 2;
        QTest::newRow("pc 100 rounds up") << 1 << 100 << 112 << 3;
        QTest::newRow("pc 224") << 1 << 224 << 112 << 1;
        QTest::newRow("pc 225") << 1 << 225 << 112 << 1;
        QTest::newRow("mech 56") << 2 << 80 << 56 << 4;
        QTest::newRow("no grid") << 1 << 0 << 0 << 1;
        QTest::newRow("unknown type") << 3 << 80 << 112 << 1;
    }

    void screenLimit()
    {
        QFETCH(int, type);
        QFETCH(int, pc);
        QFETCH(int, mech);
        QFETCH(int, limit);
        QCOMPARE(ScreenLimit(type, pc, mech), limit);
    }

    void nastavChoice_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("two");
        QTest::addColumn<TScreenChoice>("expected");
        QTest::newRow("pc in range") << 1 << 2 << false << TScreenChoice{1, 1, 3, 2, true};
        QTest::newRow("pc above") << 1 << 5 << false << TScreenChoice{1, 1, 3, 3, true};
        QTest::newRow("mech above") << 2 << 3 << false << TScreenChoice{2, 1, 2, 2, true};
        QTest::newRow("below") << 1 << 0 << false << TScreenChoice{1, 1, 3, 1, true};
        QTest::newRow("not connected") << 0 << 3 << false << TScreenChoice{0, 1, 1, 1, false};
        QTest::newRow("two: mech becomes pc") << 2 << 1 << true << TScreenChoice{1, 2, 2, 2, true};
        QTest::newRow("two: pc") << 1 << 3 << true << TScreenChoice{1, 2, 2, 2, true};
        QTest::newRow("two: not connected") << 0 << 1 << true << TScreenChoice{0, 2, 2, 2, false};
    }

    void nastavChoice()
    {
        QFETCH(int, type);
        QFETCH(int, value);
        QFETCH(bool, two);
        QFETCH(TScreenChoice, expected);
        QCOMPARE(NastavChoice(type, value, two, 80, 112), expected);
    }

    void createdConfiguration()
    {
        TConsoleSetup setup;
        setup.Typ = {2, 1};
        setup.Obrazovky = {2, 3};
        auto c = CreateNewConfiguration(setup, QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(c->CestaProgramu, QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(int(c->TypSystemu), 0);
        QVERIFY(c->Pulty[0] && c->Pulty[1]);
        QCOMPARE(ConsoleSetupOf(*c), setup);
        QVERIFY(!c->Pulty[0]->Klavesy[0]);
        QVERIFY(AnyConsoleConnected(*c));
        setup.Typ = {0, 0};
        QVERIFY(!AnyConsoleConnected(*CreateNewConfiguration(setup, QString())));
    }

    void captions()
    {
        TNovyPult d(nullptr, 80, 112, true, false);
        QCOMPARE(d.Label2->text(), LoadStrDll(116) + u':');
        QCOMPARE(d.Label4->text(), LoadStrDll(9) + u':');
        QCOMPARE(d.Label5->text(), LoadStrDll(10) + u':');
        QCOMPARE(d.Label6->text(), LoadStrDll(7) + u':');
        QCOMPARE(d.Label7->text(), LoadStrDll(11));
        QCOMPARE(d.Nacitanie->text(), LoadStrDll(8));
        QCOMPARE(d.BezCitania->text(), LoadStrDll(5));
        QCOMPARE(d.Koniec->text(), LoadStrDll(120));
        QCOMPARE(d.lSystem->text(), LoadStrDll(243));
        QCOMPARE(d.rbZapojovac->text(), LoadStrDll(244));
        QCOMPARE(d.rbPrepojovac->text(), LoadStrDll(245));
        QCOMPARE(d.lSystemHint->text(), LoadStrDll(219));
        QCOMPARE(d.windowTitle(), LoadStrDll(15));
        QVERIFY(!d.windowTitle().isEmpty());
        QCOMPARE(d.RadioGroup2->property("Tag").toInt(), 1);
    }

    void systemPanel()
    {
        TNovyPult shown(nullptr, 80, 112, true, false);
        QVERIFY(!shown.pSystemZP->isHidden());
        TNovyPult hidden(nullptr, 80, 112, false, false);
        QVERIFY(hidden.pSystemZP->isHidden());
    }

    void goAheadNeedsAConsole()
    {
        TNovyPult d(nullptr, 80, 112, false, false);
        QCOMPARE(d.RadioIndex(0), 0);
        QCOMPARE(d.RadioIndex(1), 0);
        QVERIFY(!d.Nacitanie->isEnabled());
        QVERIFY(!d.BezCitania->isEnabled());
        QVERIFY(!d.SpinEdit1->isEnabled());
        Item(d, 1, 2)->click();
        QVERIFY(d.Nacitanie->isEnabled());
        QVERIFY(d.BezCitania->isEnabled());
        QVERIFY(d.SpinEdit2->isEnabled());
        Item(d, 1, 0)->click();
        QVERIFY(!d.Nacitanie->isEnabled());
        QVERIFY(!d.SpinEdit2->isEnabled());
    }

    void spinLimitsFollowType()
    {
        TNovyPult d(nullptr, 80, 112, false, false);
        Item(d, 0, 1)->click();
        QCOMPARE(d.SpinEdit1->minimum(), 1);
        QCOMPARE(d.SpinEdit1->maximum(), 3);
        d.SpinEdit1->setValue(3);
        QCOMPARE(d.SpinEdit1->value(), 3);
        Item(d, 0, 2)->click();
        QCOMPARE(d.SpinEdit1->maximum(), 2);
        QCOMPARE(d.SpinEdit1->value(), 2);
        QCOMPARE(int(d.Configuration()->Pulty[0]->TypPultu), 2);
        QCOMPARE(int(d.Configuration()->Pulty[0]->PocetObrazoviek), 2);
        d.SpinEdit1->setValue(9);
        QCOMPARE(d.SpinEdit1->value(), 2);
    }

    void twoScreenMode()
    {
        TConsoleSetup setup;
        setup.Typ = {2, 0};
        setup.Obrazovky = {1, 1};
        TNovyPult d(nullptr, 80, 112, false, true, setup);
        QCOMPARE(d.RadioIndex(0), 1);
        for (QSpinBox *s : {d.SpinEdit1, d.SpinEdit2}) {
            QCOMPARE(s->minimum(), 2);
            QCOMPARE(s->maximum(), 2);
            QCOMPARE(s->value(), 2);
        }
        Item(d, 1, 2)->click();
        QCOMPARE(d.RadioIndex(1), 1);
        QCOMPARE(RunAndClick(d, d.BezCitania), int(NovyPultNoRead));
        const TConsoleSetup got = ConsoleSetupOf(*d.Configuration());
        QCOMPARE(int(got.Typ[0]), 1);
        QCOMPARE(int(got.Typ[1]), 1);
        QCOMPARE(int(got.Obrazovky[0]), 2);
        QCOMPARE(int(got.Obrazovky[1]), 2);
    }

    void showsCallersSetup()
    {
        TConsoleSetup setup;
        setup.Typ = {1, 2};
        setup.Obrazovky = {3, 2};
        TNovyPult d(nullptr, 80, 112, false, false, setup);
        QCOMPARE(d.RadioIndex(0), 1);
        QCOMPARE(d.RadioIndex(1), 2);
        QCOMPARE(d.SpinEdit1->value(), 3);
        QCOMPARE(d.SpinEdit2->value(), 2);
        QCOMPARE(ConsoleSetupOf(*d.Configuration()), setup);
        QVERIFY(d.Nacitanie->isEnabled());
    }

    void fieldsToConfiguration_data()
    {
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("prepojovac");
        QTest::newRow("read, Zapojovac") << true << false;
        QTest::newRow("no read, Prepojovac") << false << true;
    }

    void fieldsToConfiguration()
    {
        QFETCH(bool, read);
        QFETCH(bool, prepojovac);
        TNovyPult d(nullptr, 80, 112, true, false);
        Item(d, 0, 1)->click();
        d.SpinEdit1->setValue(3);
        Item(d, 1, 2)->click();
        d.SpinEdit2->setValue(2);
        (prepojovac ? d.rbPrepojovac : d.rbZapojovac)->setChecked(true);
        d.Configuration()->CasUkonceniaVyzvanania = 9;

        QCOMPARE(RunAndClick(d, read ? d.Nacitanie : d.BezCitania), read ? int(NovyPultRead) : int(NovyPultNoRead));
        std::unique_ptr<TAPult> c = d.TakeConfiguration();
        QVERIFY(c);
        QVERIFY(!d.Configuration());
        QCOMPARE(c->PocetPultov, 2);
        QCOMPARE(int(c->TypSystemu), prepojovac ? 1 : 0);
        QCOMPARE(int(c->CasUkonceniaVyzvanania), 0);
        QCOMPARE(c->CestaProgramu, QCoreApplication::applicationFilePath());
        QCOMPARE(int(c->Pulty[0]->TypPultu), 1);
        QCOMPARE(int(c->Pulty[0]->PocetObrazoviek), 3);
        QCOMPARE(int(c->Pulty[1]->TypPultu), 2);
        QCOMPARE(int(c->Pulty[1]->PocetObrazoviek), 2);
        for (int n = 0; n < 2; ++n)
            for (int k = 0; k < KeyCount; ++k) {
                const TKlavesa *key = c->Pulty[n]->Klavesy[k].get();
                QVERIFY(key);
                QVERIFY(key->IsUnconfigured());
                QCOMPARE(key->MenoLinky, QStringLiteral("nekonf"));
                QCOMPARE(int(key->Volba), 0xA0);
            }
    }

    void cancelBuildsNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Koniec") << false;
        QTest::newRow("Escape") << true;
    }

    void cancelBuildsNothing()
    {
        QFETCH(bool, escape);
        TNovyPult d(nullptr, 80, 112, false, false);
        Item(d, 0, 1)->click();
        QTimer::singleShot(0, &d, [&] {
            if (escape)
                QTest::keyClick(d.Nacitanie, Qt::Key_Escape);
            else
                QTest::mouseClick(d.Koniec, Qt::LeftButton);
        });
        QCOMPARE(d.exec(), int(NovyPultCancel));
        QCOMPARE(d.Configuration()->PocetPultov, 0);
        QVERIFY(!d.Configuration()->Pulty[0]->Klavesy[0]);
    }

    void buttonVariants()
    {
        TNovyPult d(nullptr, 80, 112, false, false);
        d.ApplyButtonFlags(false, false);
        QVERIFY(d.BezCitania->isHidden());
        QCOMPARE(d.Nacitanie->text(), LoadStrDll(31));
        QCOMPARE(d.Koniec->text(), LoadStrDll(30));
        TNovyPult e(nullptr, 80, 112, false, false);
        e.ApplyButtonFlags(true, true);
        QVERIFY(!e.BezCitania->isHidden());
        QCOMPARE(e.Nacitanie->text(), LoadStrDll(8));
        QCOMPARE(e.Koniec->text(), LoadStrDll(120));
    }

    void shot()
    {
        TConsoleSetup setup;
        setup.Typ = {1, 2};
        setup.Obrazovky = {2, 1};
        TNovyPult d(nullptr, 80, 112, true, false, setup);
        d.show();
        QVERIFY(d.width() >= d.minimumSizeHint().width());
        SaveShot(d, QStringLiteral("novypult"));
    }
};

QTEST_MAIN(TestNovyPult)
#include "test_novypult.moc"
