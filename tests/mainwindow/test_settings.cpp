// cfg.ini: reading tables, writing, and the main window's use of it.
#include <QtTest>

#include "cardpack/dll_load.h"
#include "editing/settingsfile.h"
#include "mainwindow/mainform.h"
#include "platform/codepage.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "windows/prompt.h"

using SettingsFile::TSettings;

namespace {

QByteArray fullFile()
{
    return "Top=10\r\nLeft=20\r\nWidth=800\r\nHeight=600\r\nWindowState=1\r\nOptions=5\r\nCOMport=3\r\n"
           "FileName=/home/u/a.orv\r\nFontName=Courier\r\nFontSize=9\r\nFontColor=255\r\n"
           "FontStyle=[fsBold,fsStrikeOut]\r\nFontCharset=238\r\n";
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
        QVERIFY(HInstDll > 32);
        // The idle window offers the start dialog; here it is left at once.
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
    }

    void writesDefaultsInOrder()
    {
        const QByteArray text = SettingsFile::Write(TSettings{});
        QCOMPARE(text, QByteArray("Top=0\r\nLeft=0\r\nWidth=755\r\nHeight=470\r\nWindowState=0\r\nOptions=0\r\n"
                                  "COMport=1\r\nFileName=\r\nFontName=Arial\r\nFontSize=14\r\n"
                                  "FontColor=-16777208\r\nFontStyle=[]\r\nFontCharset=1\r\n"));
    }

    void roundTrip()
    {
        TSettings values;
        QCOMPARE(SettingsFile::Read(fullFile(), values), QString());
        QCOMPARE(SettingsFile::Write(values), fullFile());
        QCOMPARE(values.Top, 10);
        QCOMPARE(values.WindowState, 1);
        QCOMPARE(values.Options, 5);
        QCOMPARE(values.COMport, 3);
        QCOMPARE(values.Font.Name, QStringLiteral("Courier"));
        QVERIFY(values.Font.Bold && values.Font.StrikeOut && !values.Font.Italic && !values.Font.Underline);
        QCOMPARE(values.Font.Charset, 238);
    }

    // Linux file names are UTF-8: a name Windows-1250 cannot hold survives
    // write -> read unchanged, and a name it can hold is written as before.
    void fileNameRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("fileNameLine"); // the line the original program reads
        QTest::addColumn<bool>("exactLine");
        QTest::newRow("ASCII") << "/home/u/a.orv" << QByteArray("FileName=/home/u/a.orv") << false;
        QTest::newRow("Slovak") << QString::fromUtf8("/home/u/Štúdio Žilina.orv")
                                << QByteArray("FileName=/home/u/\x8At\xFA"
                                              "dio \x8Eilina.orv")
                                << false;
        QTest::newRow("question mark") << "/home/u/a?.orv" << QByteArray("FileName=/home/u/a?.orv") << false;
        QTest::newRow("empty") << "" << QByteArray("FileName=") << false;
        QTest::newRow("Cyrillic") << QString::fromUtf8("/home/u/Проект.orv")
                                  << QByteArray("FileName=/home/u/??????.orv") << true;
        QTest::newRow("CJK") << QString::fromUtf8("/data/配置/站.orv")
                             << QByteArray("FileName=/data/??"
                                           "/?.orv")
                             << true;
        QTest::newRow("emoji") << QString::fromUtf8("/tmp/a\U0001F600.orv")
                               << QByteArray("FileName=/tmp/a?.orv") << true;
        QTest::newRow("mixed with key texts")
            << QString::fromUtf8("/p/Ľ top=1 ß%41;x=y.orv")
            << QByteArray("FileName=/p/\xBC top=1 \xDF%41;x=y.orv") << false;
        QTest::newRow("Greek with key texts") << QString::fromUtf8("/p/α/top=5/FileName=x%2F.orv")
                                              << QByteArray("FileName=/p/?/top=5/FileName=x%2F.orv") << true;
        QTest::newRow("line break") << "/tmp/a\nTop=5\r\n.orv" << QByteArray("FileName=/tmp/a?Top=5??.orv")
                                    << true;
        QTest::newRow("ends in CR") << "/tmp/b.orv\r" << QByteArray("FileName=/tmp/b.orv?") << true;
    }
    void fileNameRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, fileNameLine);
        QFETCH(bool, exactLine);
        TSettings values;
        values.FileName = name;
        values.Top = 33;
        const QByteArray text = SettingsFile::Write(values);
        QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        for (QByteArray &l : lines) {
            QVERIFY(l.endsWith('\r'));
            l.chop(1);
        }
        const qsizetype at = lines.indexOf(fileNameLine);
        QVERIFY2(at == 7, text.constData());
        QCOMPARE(lines[at + 1].startsWith("FileNameUtf8="), exactLine);
        QCOMPARE(lines.size(), exactLine ? 14 : 13);
        if (exactLine) {
            // ASCII only, and no key with its "=" in the value: the original program ignores the line.
            const QByteArray extra = lines[at + 1].toLower();
            for (char c : extra)
                QVERIFY(uchar(c) >= 0x20 && uchar(c) < 0x7F);
            for (const char *key :
                 {"top=", "left=", "width=", "height=", "windowstate=", "options=", "comport=", "filename=",
                  "fontname=", "fontsize=", "fontcolor=", "fontstyle=", "fontcharset="})
                QVERIFY2(!extra.contains(key), key);
        } else {
            TSettings plain;
            plain.Top = 33;
            QCOMPARE(text, SettingsFile::Write(plain).replace("FileName=\r", fileNameLine + "\r"));
        }

        TSettings back;
        QCOMPARE(SettingsFile::Read(text, back), QString());
        QCOMPARE(back.FileName, name);
        QCOMPARE(back.Top, 33);
        QCOMPARE(SettingsFile::Write(back), text);
    }

    // The FileName line decides: an exact name counts only as the form of that line.
    void exactFileNameLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        const QByteArray exact = "FileNameUtf8=%2Fhome%2F%D0%9F.orv\r\n"; // /home/П.orv
        QTest::newRow("belongs to the line")
            << "FileName=/home/?.orv\r\n" + exact << QString::fromUtf8("/home/П.orv");
        QTest::newRow("lower case keys")
            << QByteArray("filename=/home/?.orv\r\nfilenameutf8=%2Fhome%2F%D0%9F.orv\r\n")
            << QString::fromUtf8("/home/П.orv");
        QTest::newRow("line edited by hand") << "FileName=/home/x.orv\r\n" + exact << "/home/x.orv";
        QTest::newRow("no FileName line") << exact << "";
        QTest::newRow("FileName after it wins")
            << "FileName=/home/?.orv\r\n" + exact + "FileName=/home/?.orv\r\n"
            << "/home/?.orv";
        QTest::newRow("original program's file")
            << QByteArray("FileName=C:\\Proj\\\x8Atart.orv\r\n") << QString::fromUtf8("C:\\Proj\\Štart.orv");
    }
    void exactFileNameLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        TSettings values;
        QCOMPARE(SettingsFile::Read(file, values), QString());
        QCOMPARE(values.FileName, name);
    }

    // The last file survives a restart of the main window.
    void lastFileSurvivesRestart()
    {
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        const QString name = dir.filePath(QString::fromUtf8("Проект 配置 Žilina.orv"));
        {
            TMainForm1 form(nullptr, QSize(1024, 768));
            form.LastFileName = name;
            QVERIFY(form.SaveSettings(form.SettingsFileName()));
        }
        for (int round = 0; round < 2; ++round) {
            TMainForm1 form(nullptr, QSize(1024, 768));
            QCOMPARE(form.LastFileName, name);
            QVERIFY(form.SaveSettings(form.SettingsFileName()));
        }
        QVERIFY(prompt.asked().isEmpty());
        platform::SetProgramFolder(QString());
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("LF lines") << QByteArray("Top=7\nLeft=8\n") << "Left" << "8";
        QTest::newRow("CRLF keeps no CR") << QByteArray("FileName=a.orv\r\n") << "FileName" << "a.orv";
        QTest::newRow("upper-case key") << QByteArray("TOP=100\r\n") << "Top" << "100";
        QTest::newRow("lower-case key") << QByteArray("top=100\r\n") << "Top" << "100";
        QTest::newRow("key inside the line") << QByteArray("x top=5\r\n") << "Top" << "5";
        QTest::newRow("only the first = separates") << QByteArray("FileName=C:\\Proj\\A=B.orv\r\n") << "FileName"
                                                    << "C:\\Proj\\A=B.orv";
        QTest::newRow("file name holding top=") << QByteArray("FileName=/p/top=1/left=x.orv\r\n") << "FileName"
                                                << "/p/top=1/left=x.orv";
        QTest::newRow("file name holding top= leaves top") << QByteArray("FileName=/p/top=1.orv\r\n") << "Top" << "0";
        QTest::newRow("file name keeps case") << QByteArray("filename=/Home/A.ORV\r\n") << "FileName" << "/Home/A.ORV";
        QTest::newRow("later key wins") << QByteArray("Top=1\r\nTop=2\r\n") << "Top" << "2";
        QTest::newRow("unknown line ignored") << QByteArray("hello\r\nBottom=3\r\nTop=4\r\n") << "Top" << "4";
        QTest::newRow("window state 3 stores nothing") << QByteArray("WindowState=3\r\n") << "WindowState" << "0";
        QTest::newRow("window state 2") << QByteArray("WindowState=2\r\n") << "WindowState" << "2";
        QTest::newRow("negative top") << QByteArray("Top=-20\r\n") << "Top" << "-20";
        QTest::newRow("Windows-1250 font name") << QByteArray("FontName=\x8a\xe8\r\n") << "FontName"
                                                << QString::fromUtf8("\u0160\u010d");
        QTest::newRow("styles: empty list") << QByteArray("FontStyle=[]\r\n") << "Style" << "";
        QTest::newRow("styles: bold italic") << QByteArray("FontStyle=[fsBold,fsItalic]\r\n") << "Style"
                                             << "[fsBold,fsItalic]";
        QTest::newRow("styles: any case") << QByteArray("fontstyle=[FSUNDERLINE]\r\n") << "Style" << "[fsUnderline]";
        QTest::newRow("styles: all") << QByteArray("FontStyle=[fsBold,fsItalic,fsUnderline,fsStrikeOut]\r\n")
                                     << "Style" << "[fsBold,fsItalic,fsUnderline,fsStrikeOut]";
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, field);
        QFETCH(QString, value);
        TSettings values;
        values.Top = 0;
        QCOMPARE(SettingsFile::Read(file, values), QString());
        QString got;
        if (field == "Top")
            got = QString::number(values.Top);
        else if (field == "Left")
            got = QString::number(values.Left);
        else if (field == "FileName")
            got = values.FileName;
        else if (field == "FontName")
            got = values.Font.Name;
        else if (field == "WindowState")
            got = QString::number(values.WindowState);
        else if (field == "Style")
            got = SettingsFile::StyleList(values.Font).mid(0);
        if (field == "Style" && value.isEmpty())
            value = "[]";
        QCOMPARE(got, value);
    }

    void options_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("invert");
        QTest::addColumn<int>("selectOnMove");
        QTest::addColumn<int>("hint");
        QTest::newRow("0") << 0 << 0 << 0 << 0;
        QTest::newRow("5") << 5 << 1 << 0 << 1;
        QTest::newRow("2") << 2 << 0 << 1 << 0;
        QTest::newRow("7") << 7 << 1 << 1 << 1;
    }
    void options()
    {
        QFETCH(int, options);
        QFETCH(int, invert);
        QFETCH(int, selectOnMove);
        QFETCH(int, hint);
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        QFile f(dir.filePath("cfg.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("Options=%1\r\n").arg(options).toLatin1());
        f.close();
        TMainForm1 form(nullptr, QSize(1024, 768));
        QCOMPARE(int(form.Invert), invert);
        QCOMPARE(int(form.SelectOnMove), selectOnMove);
        QCOMPARE(int(form.VlAkoHint), hint);
        QVERIFY(prompt.asked().isEmpty());
        form.SaveSettings(form.SettingsFileName());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains(QStringLiteral("\r\nOptions=%1\r\n").arg(options).toLatin1()));
        platform::SetProgramFolder(QString());
    }

    void badValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::newRow("not a number") << QByteArray("Top=11\r\nLeft=abc\r\nTop=99\r\n") << 11 << -1;
        QTest::newRow("port above 255") << QByteArray("Top=12\r\nCOMport=256\r\nLeft=5\r\n") << 12 << -1;
        QTest::newRow("charset above 255") << QByteArray("Top=13\r\nFontCharset=300\r\nLeft=5\r\n") << 13 << -1;
        QTest::newRow("number beyond 32 bits") << QByteArray("Top=14\r\nWidth=99999999999\r\nLeft=5\r\n") << 14 << -1;
        QTest::newRow("empty number") << QByteArray("Top=15\r\nHeight=\r\nLeft=5\r\n") << 15 << -1;
    }
    void badValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, top);
        QFETCH(int, left);
        TSettings values;
        values.Left = -1;
        QVERIFY(!SettingsFile::Read(file, values).isEmpty());
        QCOMPARE(values.Top, top);
        QCOMPARE(values.Left, left);
    }

    // A missing cfg.ini is written with the defaults; the window sits centred at 755 by 470.
    void missingFileCreated()
    {
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        {
            TMainForm1 form(nullptr, QSize(1024, 768));
            QCOMPARE(form.size(), QSize(755, 470));
        }
        QFile f(dir.filePath("cfg.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QStringList keys;
        for (const QByteArray &l : lines)
            if (!l.isEmpty())
                keys << QString::fromLatin1(l.left(l.indexOf('=')));
        QCOMPARE(keys, (QStringList{"Top", "Left", "Width", "Height", "WindowState", "Options", "COMport", "FileName",
                                    "FontName", "FontSize", "FontColor", "FontStyle", "FontCharset"}));
        QVERIFY(lines.contains("Top=149\r"));
        QVERIFY(lines.contains("Left=134\r"));
        QVERIFY(lines.contains("Width=755\r"));
        QVERIFY(prompt.asked().isEmpty());
        platform::SetProgramFolder(QString());
    }

    // One box for a bad value; what was read before stays, the rest is not read.
    void badValueShowsOneBox()
    {
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        QFile f(dir.filePath("cfg.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("COMport=4\r\nFontSize=big\r\nFileName=/x.orv\r\n");
        f.close();
        TMainForm1 form(nullptr, QSize(1024, 768));
        QCOMPARE(prompt.asked().size(), 1);
        QCOMPARE(prompt.asked()[0].kind, TPrompt::Kind::Error);
        QVERIFY(prompt.asked()[0].text.contains("big"));
        QCOMPARE(int(form.PortNumber), 4);
        QVERIFY(form.LastFileName.isEmpty());
        QCOMPARE(form.KeyFont.pointSize(), 14);
        platform::SetProgramFolder(QString());
    }

    // A file name holding "top=" cannot move the window.
    void fileNameWithKeyText()
    {
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        QFile f(dir.filePath("cfg.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Top=40\r\nLeft=50\r\nWidth=760\r\nHeight=500\r\nFileName=/data/top=x/width=y.orv\r\n"
                "FontName=Courier New\r\nFontStyle=[fsItalic]\r\n");
        f.close();
        TMainForm1 form(nullptr, QSize(1024, 768));
        QVERIFY(prompt.asked().isEmpty());
        QCOMPARE(form.geometry(), QRect(50, 40, 760, 500));
        QCOMPARE(form.LastFileName, QStringLiteral("/data/top=x/width=y.orv"));
        QCOMPARE(form.KeyFont.family(), QStringLiteral("Courier New"));
        QVERIFY(form.KeyFont.italic());
        QVERIFY(!form.KeyFont.bold());
        platform::SetProgramFolder(QString());
    }

    // Saving and loading again keeps the placement: the window does not creep.
    void placementDoesNotCreep()
    {
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        QRect first;
        {
            TMainForm1 form(nullptr, QSize(1024, 768));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.setGeometry(100, 120, 800, 520);
            QTRY_COMPARE(form.geometry(), QRect(100, 120, 800, 520));
            first = form.geometry();
            QVERIFY(form.SaveSettings(form.SettingsFileName()));
        }
        for (int round = 0; round < 2; ++round) {
            TMainForm1 form(nullptr, QSize(1024, 768));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QTRY_COMPARE(form.geometry(), first);
            QVERIFY(form.SaveSettings(form.SettingsFileName()));
        }
        QVERIFY(prompt.asked().isEmpty());
        platform::SetProgramFolder(QString());
    }

    // A maximised window stores its normal placement and state 1.
    void maximisedStoresNormalPlacement()
    {
        QTemporaryDir dir;
        platform::SetProgramFolder(dir.path());
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.setGeometry(30, 40, 760, 490);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.geometry(), QRect(30, 40, 760, 490));
        form.setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(form.isMaximized());
        const TSettings values = form.CurrentSettings();
        QCOMPARE(values.WindowState, 1);
        QCOMPARE(QRect(values.Left, values.Top, values.Width, values.Height), QRect(30, 40, 760, 490));
        platform::SetProgramFolder(QString());
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
