#include "editing/keyproperties.h"

#include <algorithm>

#include "model/conversions.h"

int KeyProps::RowTop(int row)
{
    return row * RowHeight + 10;
}

int KeyProps::DialogHeight(int rows)
{
    return (rows + 2) * RowHeight + 20;
}

bool AcceptsDigitKey(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == 0x08 || u == 0x03 || u == 0x16;
}

QString DigitsOnly(const QString &text, int maxDigits)
{
    QString digits;
    for (QChar c : text) {
        if (digits.size() >= maxDigits)
            break;
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

QByteArray PackDigits(const QString &digits, int bytes)
{
    QString text = digits.left(2 * bytes);
    text = text.leftJustified(2 * bytes, u'F');
    QByteArray packed(bytes, '\xFF');
    for (int j = 0; j < bytes; ++j)
        packed[j] = char(HexStrToInt(text.mid(2 * j, 2)) & 0xFF);
    return packed;
}

QByteArray PackFunctionNumber(const QString &digits)
{
    return PackDigits(digits, KeyProps::FunctionNumberDigits / 2);
}

std::array<Byte, 12> PackMsn(const QString &digits)
{
    const QByteArray packed = PackDigits(digits, 12);
    std::array<Byte, 12> msn{};
    for (int j = 0; j < 12; ++j)
        msn[j] = Byte(packed[j]);
    return msn;
}

// ---- the model --------------------------------------------------------------------------------

TKeyPropertiesModel::TKeyPropertiesModel(const TKeyInfo &info, const TKlavesa &key, Byte consoleType)
    : Info(info), ConsoleType(consoleType), Gsm(key.KodDosky == KeyProps::GsmBoardCode),
      F0(key.KodDosky == KeyProps::F0BoardCode),
      Locked(Gsm && (info[3].value.isEmpty() || info[4].value.isEmpty()))
{
    Name = info[1].value;
    Hint = info[2].value;
    SetFunctionNumber(info[3].value);
    SetMsn(info[4].value);
    MsnFlag = info[5].value == QStringLiteral("1");
    bool ok = false;
    const qlonglong colour = info[23].value.toLongLong(&ok);
    Colour = ok ? std::int32_t(colour) : key.TextColor;
}

bool TKeyPropertiesModel::Shown(int item) const
{
    if (item < 1 || item > KeyInfoCount || !KeyInfoApplies(item, ConsoleType))
        return false;
    if ((item == 3 || item == 4 || item == 5) && !Gsm)
        return false;
    if ((item == 24 || item == 25) && !F0)
        return false;
    return item <= 4 || !Info[item].value.isEmpty();
}

QList<int> TKeyPropertiesModel::Rows() const
{
    QList<int> rows;
    for (int item : HintOrder)
        if (Shown(item))
            rows.append(item);
    return rows;
}

int TKeyPropertiesModel::FocusItem() const
{
    for (int item = 1; item <= KeyInfoCount; ++item)
        if (Shown(item))
            return item;
    return 0;
}

TKeyPropertiesModel::TRowKind TKeyPropertiesModel::RowKind(int item)
{
    switch (item) {
    case 1:
    case 2:
        return TRowKind::Edit;
    case 3:
    case 4:
        return TRowKind::DigitEdit;
    case 5:
        return TRowKind::CheckBox;
    case 23:
        return TRowKind::Colour;
    default:
        return TRowKind::ReadOnly;
    }
}

QString TKeyPropertiesModel::Value(int item) const
{
    return item >= 1 && item <= KeyInfoCount ? Info[item].value : QString();
}

int TKeyPropertiesModel::OkTag() const
{
    return (FunctionNumber.isEmpty() ? 0 : 2) | (Msn.isEmpty() ? 0 : 1);
}

bool TKeyPropertiesModel::OkEnabled() const
{
    return !Gsm || OkTag() == 3;
}

std::optional<std::uint32_t> TKeyPropertiesModel::DigitEditColour(const QString &text)
{
    if (text.isEmpty())
        return KeyProps::EmptyEditColour;
    return std::nullopt;
}

// ---- OK -------------------------------------------------------------------------------------

TKeyPropOutcome ApplyKeyProperties(const TKeyPropertiesModel &model, int n, TKeyArray &b,
                                   const QList<int> &markedCaptioned, const QString &consoleFunctionNumber,
                                   TKeyBinding &binding,
                                   const std::function<void(const QString &)> &setFunctionNumber)
{
    TKeyPropOutcome out;
    if (n < 0 || n >= KeyCount || !b[n])
        return out;
    TKlavesa &k = *b[n];

    // 1. What the key control shows.
    const QString name = model.Name.isEmpty() ? QStringLiteral(" ") : model.Name;
    if (model.Shown(1))
        out.Caption = name;
    if (model.Shown(2))
        out.Hint = model.Hint;
    if (model.Shown(23)) {
        out.CaptionColour = model.Colour;
        if (model.ColourToMarked)
            out.RecolouredKeys = markedCaptioned;
    }

    // 2. Name and hint.
    if (model.Shown(1) && name != k.MenoKlavesy) {
        k.MenoKlavesy = name;
        out.Changed = true;
    }
    if (model.Shown(2) && model.Hint != k.HintKlavesy) {
        k.HintKlavesy = model.Hint;
        out.Changed = true;
    }

    if (model.Gsm) {
        // 3. The console's function number.
        const QString fn = DigitsOnly(model.FunctionNumber, KeyProps::FunctionNumberDigits);
        if (model.Shown(3) && fn != model.Value(3) && fn != consoleFunctionNumber) {
            out.FunctionNumber = fn;
            if (setFunctionNumber)
                setFunctionNumber(fn);
        }
        // 4. MSN digits.
        const QString msn = DigitsOnly(model.Msn, KeyProps::MsnDigits);
        if (model.Shown(4) && msn != model.Value(4)) {
            k.MSNcislo = PackMsn(msn);
            out.MsnChanged = true;
            out.Changed = true;
        }
        // 5. MSN flag.
        if (model.Shown(5) && model.MsnFlag != (model.Value(5) == QStringLiteral("1"))) {
            k.MSNpriznak[0] |= 0x80;
            if (model.MsnFlag)
                k.MSNpriznak[0] |= 0x40;
            else
                k.MSNpriznak[0] &= Byte(~0x40);
            out.MsnChanged = true;
            out.Changed = true;
        }
    }

    // 6. The MSN follows to the keys of the same line; B's copy of the active
    // console's line key too, so that writing B back keeps it.
    if (out.MsnChanged) {
        binding.UpdateKeysOfLine(k);
        if (const TPult *console = binding.ActiveConsole();
            console && k.HWPozicDosky < BoardCount && k.PozicLinky < LineCount) {
            const TDoska *board = console->Dosky[k.HWPozicDosky].get();
            const TLinka *line = board ? board->Linky[k.PozicLinky].get() : nullptr;
            if (line && line->Klavesa < KeyCount && b[line->Klavesa])
                b[line->Klavesa]->AssignMSN(&k);
        }
    }

    // 7. Caption colour. The marked keys whose controls took the colour in
    // step 1 store it too, also when the key's own colour stayed.
    if (model.Shown(23)) {
        if (QString::number(model.Colour) != model.Value(23)) {
            k.TextColor = model.Colour;
            out.Changed = true;
        }
        if (model.ColourToMarked)
            for (int m : markedCaptioned)
                if (m >= 0 && m < KeyCount && b[m] && b[m]->TextColor != model.Colour) {
                    b[m]->TextColor = model.Colour;
                    out.Changed = true;
                }
    }

    // 8. Written back only when something changed.
    if (out.Changed)
        binding.StoreKeyLines(b);
    return out;
}
