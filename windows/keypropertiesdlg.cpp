#include "windows/keypropertiesdlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "cardpack/dll_load.h"
#include "windows/colorbutton.h"
#include "windows/colordlg.h"
#include "windows/consolehost.h"
#include "windows/mdichild.h"

namespace
{

void setBase(QLineEdit *edit, const std::optional<std::uint32_t> &colour)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base,
               colour ? ColorFromTColor(*colour) : edit->style()->standardPalette().color(QPalette::Base));
    edit->setPalette(p);
}

} // namespace

TKeyPropertiesDlg::TKeyPropertiesDlg(TKeyPropertiesModel &model, QWidget *owner)
    : QDialog(owner), Model(model)
{
    using namespace KeyProps;
    setObjectName(QStringLiteral("Vl"));
    QString title = LoadStrDll(53);
    title.chop(3);
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    const QList<int> rows = Model.Rows();
    const int height = DialogHeight(int(rows.size()));
    setFixedSize(DialogWidth, height);

    // Labels.
    for (int r = 0; r < rows.size(); ++r) {
        const int item = rows[r];
        auto *label = new QLabel(Model.Info[item].label, this);
        label->setObjectName(QStringLiteral("Label%1").arg(item));
        label->setGeometry(3, RowTop(r), 115, 20);
        Labels.insert(item, label);
    }

    // OK and Cancel.
    bOK = new QPushButton(LoadStrDll(31), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setGeometry(DialogWidth / 2 - 70, height - 55, 60, 25);
    bOK->setDefault(true);
    bOK->setEnabled(!(Model.Gsm && Model.Value(3).isEmpty()));
    connect(bOK, &QPushButton::clicked, this, &TKeyPropertiesDlg::bOKClick);
    bCancel = new QPushButton(LoadStrDll(30), this);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    bCancel->setGeometry(DialogWidth / 2 + 10, height - 55, 60, 25);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (Model.Locked) {
        // Both numbers must be filled and confirmed with OK.
        bCancel->setEnabled(false);
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        closeBlocked_ = true;
    }

    // Value controls.
    using K = TKeyPropertiesModel::TRowKind;
    for (int r = 0; r < rows.size(); ++r) {
        const int item = rows[r];
        const QRect place(ValueLeft, RowTop(r), ValueWidth, 20);
        QWidget *control = nullptr;
        switch (TKeyPropertiesModel::RowKind(item)) {
        case K::Edit: {
            auto *edit = new QLineEdit(Model.Value(item), this);
            (item == 1 ? EditMeno : EditHint) = edit;
            control = edit;
            break;
        }
        case K::DigitEdit: {
            auto *edit = new QLineEdit(item == 3 ? Model.FunctionNumber : Model.Msn, this);
            const bool fn = item == 3;
            // No maximum length on the edit: a paste would be cut before its
            // signs are dropped. The change event keeps the digits and cuts them.
            edit->setProperty("maxDigits", fn ? FunctionNumberDigits : MsnDigits);
            edit->setReadOnly(!Model.Gsm);
            if (Model.Gsm) {
                edit->installEventFilter(this);
                connect(edit, &QLineEdit::textChanged, this,
                        fn ? &TKeyPropertiesDlg::EditFunkcneCisloChange : &TKeyPropertiesDlg::EditMSNChange);
            }
            (fn ? EditFunkcneCislo : EditMSN) = edit;
            control = edit;
            break;
        }
        case K::CheckBox: {
            CheckMSN = new QCheckBox(this);
            CheckMSN->setChecked(Model.MsnFlag);
            control = CheckMSN;
            break;
        }
        case K::Colour: {
            ColorButton = new QPushButton(this);
            ColorButton->setObjectName(QStringLiteral("ColorButton"));
            ColorButton->setGeometry(ValueLeft, RowTop(r), 50, 20);
            connect(ColorButton, &QPushButton::clicked, this, &TKeyPropertiesDlg::ShowColorDlg);
            CheckColor = new QCheckBox(LoadStrDll(236), this);
            CheckColor->setObjectName(QStringLiteral("CheckColor"));
            CheckColor->setChecked(false);
            const int width = QFontMetrics(CheckColor->font()).horizontalAdvance(CheckColor->text()) + 20;
            CheckColor->setGeometry(ValueLeft + 60, RowTop(r), width, 20);
            Values.insert(item, ColorButton);
            showColour();
            continue;
        }
        case K::ReadOnly: {
            auto *edit = new QLineEdit(Model.Value(item), this);
            edit->setReadOnly(true);
            edit->setFrame(false);
            QPalette p = edit->palette();
            p.setColor(QPalette::Base, p.color(QPalette::Button));
            edit->setPalette(p);
            control = edit;
            break;
        }
        }
        control->setObjectName(QStringLiteral("Value%1").arg(item));
        control->setGeometry(place);
        Values.insert(item, control);
    }

    // Both digit edits report at once, so the OK button starts right.
    if (Model.Gsm) {
        EditFunkcneCisloChange();
        EditMSNChange();
    }
    ChooseColour = [this](TColorValue current) -> std::optional<TColorValue> {
        TTColorDlg dlg(this);
        dlg.SetSelectColor(current);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.SelectColor();
    };
    if (QWidget *first = Values.value(Model.FocusItem()))
        first->setFocus();
}

void TKeyPropertiesDlg::digitEditChanged(QLineEdit *edit, int maxDigits, int bit)
{
    if (!edit)
        return;
    // A paste may bring anything: keep its digits only.
    const QString digits = DigitsOnly(edit->text(), maxDigits);
    if (digits != edit->text()) {
        const QSignalBlocker block(edit);
        edit->setText(digits);
    }
    if (edit == EditFunkcneCislo)
        Model.SetFunctionNumber(digits);
    else
        Model.SetMsn(digits);
    setBase(edit, TKeyPropertiesModel::DigitEditColour(digits));
    int tag = bOK->property("Tag").toInt();
    tag = digits.isEmpty() ? (tag & ~bit) : (tag | bit);
    bOK->setProperty("Tag", tag);
    bOK->setEnabled(tag == 3);
}

void TKeyPropertiesDlg::EditFunkcneCisloChange()
{
    digitEditChanged(EditFunkcneCislo, KeyProps::FunctionNumberDigits, 2);
}

void TKeyPropertiesDlg::EditMSNChange()
{
    digitEditChanged(EditMSN, KeyProps::MsnDigits, 1);
}

void TKeyPropertiesDlg::showColour()
{
    if (!ColorButton)
        return;
    const QColor colour = ColorFromTColor(std::uint32_t(Model.Colour));
    ColorButton->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour.name()));
    ColorButton->setText(PaletteName(Model.Colour));
    ColorButton->setProperty("colour", Model.Colour);
}

void TKeyPropertiesDlg::ShowColorDlg()
{
    if (!ChooseColour)
        return;
    if (const auto chosen = ChooseColour(Model.Colour)) {
        Model.Colour = *chosen;
        showColour();
    }
}

void TKeyPropertiesDlg::bOKClick()
{
    closeBlocked_ = false;
    if (EditMeno)
        Model.Name = EditMeno->text();
    if (EditHint)
        Model.Hint = EditHint->text();
    if (CheckMSN)
        Model.MsnFlag = CheckMSN->isChecked();
    if (CheckColor)
        Model.ColourToMarked = CheckColor->isChecked();
    accept();
}

void TKeyPropertiesDlg::reject()
{
    if (closeBlocked_)
        return;
    QDialog::reject();
}

void TKeyPropertiesDlg::closeEvent(QCloseEvent *event)
{
    if (closeBlocked_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool TKeyPropertiesDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == EditFunkcneCislo || watched == EditMSN)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Characters other than digits, backspace, Ctrl+C and Ctrl+V are dropped;
        // keys without text (arrows, Delete, Enter) pass.
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste))
            return false;
        if (!text.isEmpty() && text.at(0).isPrint() && !AcceptsDigitKey(text.at(0)))
            return true;
        // A full edit takes no further digit unless it replaces a selection.
        const auto *edit = static_cast<QLineEdit *>(watched);
        if (!text.isEmpty() && text.at(0).isDigit() && !edit->hasSelectedText() &&
            edit->text().size() >= edit->property("maxDigits").toInt())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- the call ---------------------------------------------------------------------------------

std::optional<TKeyPropOutcome> RunKeyProperties(const TKeyPropertiesCall &call)
{
    TKeyBinding binding(call.Config, call.Console, call.Binding);
    TPult *console = binding.ActiveConsole();
    if (!console || call.Key < 0 || call.Key >= KeyCount || !call.Source)
        return std::nullopt;
    TKeyArray b;
    binding.SaveKeys(b);
    if (b[call.Key]->KodDosky != KeyProps::GsmBoardCode && call.ReleaseCardButton)
        call.ReleaseCardButton();
    TKeyInfo info;
    FillKeyInfo(info, call.Key, b, console->FNGSMR, call.ConsoleType, *call.Source);
    TKeyPropertiesModel model(info, *b[call.Key], call.ConsoleType);
    TKeyPropertiesDlg dlg(model, call.Parent);
    if (call.Opened)
        call.Opened(dlg);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return ApplyKeyProperties(model, call.Key, b, call.MarkedCaptioned, console->FNGSMR, binding,
                              call.SetPultName);
}

std::optional<TKeyPropOutcome> OpenKeyProperties(TMDIChild *window, int n, TKeyPropertiesCall call)
{
    if (!window)
        return std::nullopt;
    TConsoleHost *host = ConsoleHost();
    if (!call.Config && host)
        call.Config = host->Configuration();
    if (!call.Source)
        call.Source = host;
    if (!call.Binding.CardOfSlot && host)
        call.Binding.CardOfSlot = [host](int slot) { return host->CardOfSlot(slot); };
    if (!call.Binding.SetModified && host)
        call.Binding.SetModified = [host] { host->SetModified(true); };
    call.Console = window->ConsoleNo;
    call.ConsoleType = window->ConsoleType;
    call.Key = n;
    if (!call.Parent)
        call.Parent = window;
    call.MarkedCaptioned.clear();
    for (TColorButton *key : std::as_const(window->KeyList))
        if (key && TMDIChild::IsMarked(key) && !key->Caption().isEmpty())
            call.MarkedCaptioned.append(key->Tag);

    const auto outcome = RunKeyProperties(call);
    if (!outcome)
        return outcome;
    if (TColorButton *key = window->GetButton(n)) {
        if (outcome->Caption)
            key->SetCaption(*outcome->Caption);
        if (outcome->Hint)
            key->SetHint(*outcome->Hint);
        if (outcome->CaptionColour)
            key->SetFontColor(ColorFromTColor(std::uint32_t(*outcome->CaptionColour)));
    }
    if (outcome->CaptionColour)
        for (int m : outcome->RecolouredKeys)
            if (TColorButton *key = window->GetButton(m))
                key->SetFontColor(ColorFromTColor(std::uint32_t(*outcome->CaptionColour)));
    return outcome;
}
