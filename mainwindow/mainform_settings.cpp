// cfg.ini: the window's placement, the key options, the port, the last file and the
// key font; the settings dialog that changes them.
#include "mainwindow/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSpinBox>

#include "comm/com_orva.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "editing/settingsrules.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/comports.h"
#include "platform/programfolder.h"
#include "windows/nastav.h"
#include "windows/prompt.h"

QString TMainForm1::SettingsFileName() const { return platform::WritePath(QStringLiteral("cfg.ini")); }

SettingsFile::TSettings TMainForm1::CurrentSettings() const
{
    SettingsFile::TSettings values;
    const Qt::WindowStates state = windowState();
    values.WindowState = (state & Qt::WindowMaximized) ? 1 : (state & Qt::WindowMinimized) ? 2 : 0;
    // The normal placement, in the same terms as it is applied, so that the
    // window does not creep from start to start.
    QRect placement = geometry();
    if (values.WindowState != 0 && normalGeometry().isValid())
        placement = normalGeometry();
    values.Top = placement.top();
    values.Left = placement.left();
    values.Width = placement.width();
    values.Height = placement.height();
    values.Options = VlAkoHint * 4 + SelectOnMove * 2 + Invert;
    values.COMport = PortNumber;
    values.FileName = LastFileName;
    values.Font.Name = KeyFont.family();
    values.Font.Size = KeyFont.pointSize();
    values.Font.Color = KeyFontColor;
    values.Font.Bold = KeyFont.bold();
    values.Font.Italic = KeyFont.italic();
    values.Font.Underline = KeyFont.underline();
    values.Font.StrikeOut = KeyFont.strikeOut();
    values.Font.Charset = KeyFontCharset;
    return values;
}

void TMainForm1::ApplySettings(const SettingsFile::TSettings &values)
{
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    // The smallest size and the screen bound what the file asks for.
    if (normal)
        setGeometry(MainRules::FitPlacement(QRect(values.Left, values.Top, values.Width, values.Height),
                                            size(), ScreenSize()));
    StateToApply = values.WindowState == 1   ? Qt::WindowMaximized
                   : values.WindowState == 2 ? Qt::WindowMinimized
                                             : Qt::WindowNoState;
    Invert = values.Options & 1 ? 1 : 0;
    SelectOnMove = values.Options & 2 ? 1 : 0;
    VlAkoHint = values.Options & 4 ? 1 : 0;
    PortNumber = Byte(values.COMport);
    LastFileName = values.FileName;
    KeyFont.setFamily(values.Font.Name);
    if (values.Font.Size > 0)
        KeyFont.setPointSize(values.Font.Size);
    KeyFont.setBold(values.Font.Bold);
    KeyFont.setItalic(values.Font.Italic);
    KeyFont.setUnderline(values.Font.Underline);
    KeyFont.setStrikeOut(values.Font.StrikeOut);
    KeyFontColor = values.Font.Color;
    KeyFontCharset = values.Font.Charset;
}

void TMainForm1::LoadSettings(const QString &fileName)
{
    if (!MainRules::FileExists(fileName)) {
        SaveSettings(fileName);
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Prompt().Error(QStringLiteral("I/O error: %1: %2").arg(fileName, file.errorString()));
        return;
    }
    SettingsFile::TSettings values = CurrentSettings();
    const QString error = SettingsFile::Read(file.readAll(), values);
    file.close();
    ApplySettings(values);
    if (!error.isEmpty())
        Prompt().Error(error);
}

bool TMainForm1::SaveSettings(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(SettingsFile::Write(CurrentSettings())) < 0 || !file.commit()) {
        Prompt().Error(QStringLiteral("I/O error: %1: %2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}

// ---- the settings dialog -------------------------------------------------------------

namespace
{

// The dialog's own serial link: the probe of the ports and the port test.
// The test port belongs to the main window; its frames go to the dialog.
class TSettingsLink : public TNastavLink
{
public:
    explicit TSettingsLink(TMainForm1 &form) : form_(form) {}
    ~TSettingsLink() override { Close(); }

    QString Device(int number) override { return platform::ComPortDevice(number); }

    bool ValidComPort(int number) override
    {
        TApdA probe(&form_);
        probe.SetComNumber(number);
        const bool ok = probe.SetOpen(true);
        probe.SetOpen(false);
        return ok;
    }

    bool Open(int number, QString &error) override
    {
        Close();
        number_ = number;
        trace_.clear();
        log_.clear();
        port_ = new TApdA(&form_);
        port_->SetComNumber(number);
        port_->SetBaud(9600);
        port_->SetParity(QSerialPort::SpaceParity);
        port_->SetStopBits(QSerialPort::OneStop);
        port_->SetInSize(10240);
        port_->SetOutSize(10240);
        QObject::connect(port_, &TApdA::FrameReceived, &form_, [this](const QByteArray &frame, int) {
            note(trace_, QStringLiteral("rx ") + QString::fromLatin1(frame.toHex(' ')));
            form_.Guard("ComDataReceived", [&frame] {
                if (Nastav1)
                    Nastav1->ComDataReceived(frame);
            });
        });
        QObject::connect(port_, &TApdA::BytesSent, &form_, [] {
            if (Nastav1)
                Nastav1->Transmitted();
        });
        QObject::connect(port_, &TApdA::BytesReceived, &form_, [] {
            if (Nastav1)
                Nastav1->Received();
        });
        QObject::connect(port_, &TApdA::LogEntry, &form_,
                         [this](TLogKind, const QString &text) { note(log_, text); });
        if (!port_->SetOpen(true)) {
            error = port_->LastErrorText();
            return false;
        }
        note(log_, port_->PortLabel() + QStringLiteral(" open"));
        return true;
    }

    bool Send(const QByteArray &frame) override
    {
        if (!port_)
            return false;
        note(trace_, QStringLiteral("tx ") + QString::fromLatin1(frame.toHex(' ')));
        return port_->Send(frame);
    }

    void Close() override
    {
        if (!port_)
            return;
        port_->SetOpen(false);
        delete port_;
        port_ = nullptr;
        write(QStringLiteral(".trc"), trace_);
        write(QStringLiteral(".log"), log_);
    }

private:
    static constexpr int TraceLimit = 50000;

    static void note(QByteArray &to, const QString &line)
    {
        const QByteArray bytes = (QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz ")) + line)
                                     .toLatin1() + "\r\n";
        if (to.size() + bytes.size() <= TraceLimit)
            to += bytes;
    }

    void write(const QString &extension, const QByteArray &bytes) const
    {
        QSaveFile file(platform::WritePath(SettingsRules::PortText(number_) + extension));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            file.commit();
    }

    TMainForm1 &form_;
    TApdA *port_ = nullptr;
    int number_ = 0;
    QByteArray trace_, log_;
};

// Nastav1 names the dialog exactly while it exists.
struct TNastavScope {
    explicit TNastavScope(TNastav1 *dialog) { Nastav1 = dialog; }
    ~TNastavScope() { Nastav1 = nullptr; }
};

} // namespace

std::function<int(TNastav1 &)> TMainForm1::SettingsDialogExec;

void TMainForm1::Config1Click()
{
    if (Dialogue().OperationMode != 0)
        return;
    if (ComPort)
        ComPort->SetOpen(false);
    // A handed-over file waits until the changes are applied: taken as the
    // dialog goes, it would get the layout meant for the project before it.
    struct TInSettings {
        bool &flag;
        explicit TInSettings(bool &f) : flag(f) { flag = true; }
        ~TInSettings() { flag = false; }
    } inSettings(inSettings_);

    TSettingsLink link(*this);
    const bool twoScreens = Zoznam && (Zoznam->GetType() & 2);
    TNastav1 dialog(this, twoScreens, &link, PortNumber);
    TNastavScope scope(&dialog);

    dialog.FKeysPerScreenMech = KeysPerScreenMech;
    dialog.FKeysPerScreenPC = KeysPerScreenPC;
    dialog.FSaved[0] = PultTyp[0];
    dialog.FSaved[1] = PultScreens[0];
    dialog.FSaved[2] = PultTyp[1];
    dialog.FSaved[3] = PultScreens[1];
    dialog.p1->SetItemIndex(PultTyp[0]);
    dialog.op1->setRange(1, std::max<int>(PultScreens[0], 1));
    dialog.op1->setValue(PultScreens[0]);
    dialog.p2->SetItemIndex(PultTyp[1]);
    dialog.op2->setRange(1, std::max<int>(PultScreens[1], 1));
    dialog.op2->setValue(PultScreens[1]);
    dialog.Nastav(dialog.op1, dialog.p1);
    dialog.Nastav(dialog.op2, dialog.p2);
    dialog.Vlastnosti->setChecked(VlAkoHint != 0);
    dialog.VlAkoHint = VlAkoHint != 0;
    dialog.FConfig = APult;
    dialog.FHasConfig = APult != nullptr;
    QLineEdit *numbers[2] = {dialog.eFunkcneCislo0, dialog.eFunkcneCislo1};
    for (int n = 0; n < ConsoleCount; ++n)
        if (APult && APult->Pulty[n])
            numbers[n]->setText(APult->Pulty[n]->FNGSMR);
    for (QLineEdit *e : numbers)
        dialog.eFunkcneCislo0Change(e);

    // The start dialog's settings leave the console layout alone.
    const bool layoutMayChange = NotFromStartDialog != 0;
    for (QWidget *w : std::initializer_list<QWidget *>{dialog.GroupBox1, dialog.p1, dialog.p2})
        w->setEnabled(layoutMayChange);
    dialog.Label5->setFont(KeyFont);

    const Byte systemType = APult ? APult->TypSystemu : 0;
    Byte minutes = 0;
    const bool ringTimeout = APult && APult->GetMBUBFlag(minutes, false);
    const int ringIndex = SettingsRules::RingMinuteIndex(minutes);
    const int dorst = APult ? SettingsRules::ClampDorstMode(APult->GetF0Flag(false)) : 0;
    if (!APult) {
        dialog.pSystemZP->hide();
        dialog.pFunkcneCisla->hide();
    } else {
        dialog.rbPrepojovac->setChecked(systemType == 1);
        dialog.rbZapojovac->setChecked(systemType != 1);
        dialog.cbUkoncitPo5min->setChecked(ringTimeout);
        dialog.cbCasUkoncit->setCurrentIndex(ringIndex);
        dialog.cbRezimDORST->setCurrentIndex(dorst);
        dialog.cbUkoncitPo5minClick();
    }
    const bool serial = FTPCL == nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{dialog.TestOrvy, dialog.TestPultu, dialog.Test})
        w->setVisible(serial);
    dialog.adjustSize();

    const int result = SettingsDialogExec ? SettingsDialogExec(dialog) : dialog.exec();
    link.Close();

    // What follows applies whatever the result; the layout, the port and
    // the key information only as OK left them.
    PortNumber = Byte(std::clamp(dialog.PortNumber, 0, 255));
    VlAkoHint = dialog.VlAkoHint ? 1 : 0;
    if (StatusBar1)
        StatusBar1->SetText(3, QStringLiteral("  COM%1  ").arg(PortNumber));
    for (int n = 0; n < ConsoleCount; ++n)
        if (APult && APult->Pulty[n] && APult->Pulty[n]->FNGSMR != numbers[n]->text()) {
            APult->Pulty[n]->FNGSMR = numbers[n]->text();
            ModifiedFlag = 1;
        }

    if (layoutMayChange) {
        const Byte types[2] = {Byte(dialog.p1->ItemIndex()), Byte(dialog.p2->ItemIndex())};
        const Byte screens[2] = {Byte(dialog.op1->value()), Byte(dialog.op2->value())};
        // Cancel without a configuration makes none.
        bool changed = !APult && result == QDialog::Accepted;
        for (int n = 0; APult && n < ConsoleCount; ++n) {
            const TPult *p = APult->Pulty[n].get();
            if (!p || p->TypPultu != types[n] || p->PocetObrazoviek != screens[n])
                changed = true;
        }
        if (changed) {
            for (int n = 0; n < ConsoleCount; ++n) {
                PultTyp[n] = types[n];
                PultScreens[n] = screens[n];
            }
            RefreshMdiChilds();
            ShowCard(true, 0);
        }
    }

    if (APult) {
        const Byte newType = dialog.rbPrepojovac->isChecked() ? 1 : 0;
        if (newType != systemType) {
            ConsoleChanging(); // the keys' board codes follow the type
            APult->TypSystemu = newType;
            if (Zoznam)
                APult->ConvertBoardCodes(newType, *Zoznam);
            ModifiedFlag = 1;
        }
        const bool ring = dialog.cbUkoncitPo5min->isChecked();
        const int index = dialog.cbCasUkoncit->currentIndex();
        if (ring != ringTimeout || (ring && index != ringIndex)) {
            APult->SetMBUBFlag(ring, Byte(SettingsRules::RingMinuteItems().value(index).toInt()));
            ModifiedFlag = 1;
        }
        if (dialog.cbRezimDORST->currentIndex() != dorst) {
            APult->SetPR3Flag(Byte(SettingsRules::ClampDorstMode(dialog.cbRezimDORST->currentIndex())));
            ModifiedFlag = 1;
        }
    }
    // The font goes into the settings file it is written with.
    SetKeyFont(dialog.Label5->font());
    if (result == QDialog::Accepted)
        SaveSettings(SettingsFileName());
}
